// A picture of a GNOME Wayland session's screen, as its screen cast sees it, written as PNG: what
// `grim` is to the Wayland tests on sway.
//
//   gnome_picture <file.png>

#include "MutterScreenCapture.h"

#include <QCoreApplication>
#include <QImage>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: gnome_picture <file.png>\n");
        return 2;
    }
    platform::MutterScreenCapture capture;
    platform::CapturedScreen shot;
    if (!capture.CaptureVirtualScreen(shot)) {
        std::fprintf(stderr, "gnome_picture: the screen cast gave no picture\n");
        return 1;
    }
    const QImage image(reinterpret_cast<const uchar*>(shot.pixels.get()), shot.width, shot.height, shot.width * 4,
                       QImage::Format_RGB32);
    return image.save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
