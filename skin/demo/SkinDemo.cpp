// skin_demo <ImgRes folder> <skin file> [--screenshot out.png]
// Opens the skin as a window; with --screenshot it saves a picture of the window and exits.

#include <QApplication>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "UIlib.h"

namespace {

class CDemoWindow : public WindowImplBase {
public:
    using WindowImplBase::WindowImplBase;
    const char* GetWindowClassName() const override { return "SkinDemo"; }

    void Notify(TNotifyUI& msg) override
    {
        std::printf("%s from %s\n", msg.sType.GetData(), msg.pSender ? msg.pSender->GetName().GetData() : "?");
        std::fflush(stdout);
    }
};

int Usage()
{
    std::fprintf(stderr, "usage: skin_demo <ImgRes folder> <skin file> [--screenshot out.png]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return Usage();
    std::string screenshot;
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc)
            screenshot = argv[++i];
        else
            return Usage();
    }
    if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr &&
        std::getenv("QT_QPA_PLATFORM") == nullptr) {
        std::fprintf(stderr, "skin_demo: no display; set DISPLAY or QT_QPA_PLATFORM=offscreen\n");
        return 1;
    }
    QApplication app(argc, argv);
    CPaintManagerUI::SetResourcePath(argv[1]);
    CDemoWindow window(argv[2]);
    if (window.Create(nullptr, "skin_demo", WS_POPUP | WS_VISIBLE, 0) == nullptr) {
        std::fprintf(stderr, "skin_demo: cannot open %s under %s\n", argv[2], argv[1]);
        return 1;
    }
    if (screenshot.empty())
        return app.exec();
    QWidget* widget = window.GetWidget();
    // One turn of the event loop so that layouts and pictures are in place.
    QTimer::singleShot(0, widget, [&] {
        const bool saved = widget->grab().save(QString::fromStdString(screenshot));
        if (!saved)
            std::fprintf(stderr, "skin_demo: cannot write %s\n", screenshot.c_str());
        QApplication::exit(saved ? 0 : 1);
    });
    return app.exec();
}
