// A picture of a Wayland session's screen, taken the way the program takes its frozen pictures
// there (GNOME's screen cast, KWin's screenshot service...), written as PNG: what `grim` is to
// the Wayland tests on sway.
//
//   desktop_picture <file.png>

#include "DesktopSession.h"
#include "SessionBackends.h"

#include <QCoreApplication>
#include <QImage>

#include <cstdio>

int main(int argc, char** argv)
{
    platform::ProbeDesktopSession();
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: desktop_picture <file.png>\n");
        return 2;
    }
    platform::CapturedScreen shot;
    if (!platform::MakeScreenCapture()->CaptureVirtualScreen(shot)) {
        std::fprintf(stderr, "desktop_picture: the session gave no picture\n");
        return 1;
    }
    const QImage image(reinterpret_cast<const uchar*>(shot.pixels.get()), shot.width, shot.height, shot.width * 4,
                       QImage::Format_RGB32);
    return image.save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
