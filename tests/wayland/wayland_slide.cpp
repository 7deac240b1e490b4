// A native Wayland program that shows the test slide until it is ended, standing in for a
// presentation program in the Wayland tests. Prints "shown WxH" for each size it draws.
//
//   wayland_slide [--app-id ID] [--title TEXT] [--presentation]
//
// By default the slide is full screen from the start. With --presentation it acts as a
// presentation program does: a window until Shift+F5 starts the show (full screen), which Escape
// leaves; it prints "show 1" and "show 0" when that happens. Every key it receives is printed as
// "key press|release <key> <modifiers>" ("-" for none), key repeats as "key repeat ...".

#include "SlidePattern.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPainter>
#include <QRasterWindow>

#include <cstdio>
#include <cstring>

namespace {

class Slide final : public QRasterWindow {
public:
    explicit Slide(bool presentation) : m_presentation(presentation) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const int w = width();
        const int h = height();
        for (int quarter = 0; quarter < 4; ++quarter) {
            const int x = quarter % 2 ? w / 2 : 0;
            const int y = quarter / 2 ? h / 2 : 0;
            painter.fillRect(x, y, quarter % 2 ? w - w / 2 : w / 2, quarter / 2 ? h - h / 2 : h / 2,
                             QColor::fromRgb(slide::QuarterColour(x, y, w, h)));
        }
        if (QSize(w, h) != m_told) {
            m_told = QSize(w, h);
            std::printf("shown %dx%d\n", w, h);
            std::fflush(stdout);
        }
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        Print(event->isAutoRepeat() ? "repeat" : "press", event);
        if (!m_presentation || event->isAutoRepeat())
            return;
        if (event->key() == Qt::Key_F5 && event->modifiers() == Qt::ShiftModifier && !m_show)
            Show(true);
        else if (event->key() == Qt::Key_Escape && m_show)
            Show(false);
    }
    void keyReleaseEvent(QKeyEvent* event) override
    {
        if (!event->isAutoRepeat())
            Print("release", event);
    }

private:
    static void Print(const char* what, const QKeyEvent* event)
    {
        const Qt::KeyboardModifiers mods = event->modifiers();
        const QString modText = QKeySequence(mods.toInt()).toString().chopped(mods ? 1 : 0);
        std::printf("key %s %s %s\n", what, qPrintable(QKeySequence(event->key()).toString()),
                    mods ? qPrintable(modText) : "-");
        std::fflush(stdout);
    }
    void Show(bool on)
    {
        m_show = on;
        if (on)
            showFullScreen();
        else
            showNormal();
        std::printf("show %d\n", on ? 1 : 0);
        std::fflush(stdout);
    }

    const bool m_presentation;
    bool m_show = false;
    QSize m_told;
};

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    QString title = "Test slide";
    bool presentation = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--app-id") == 0 && i + 1 < argc)
            QGuiApplication::setDesktopFileName(argv[++i]);
        else if (std::strcmp(argv[i], "--title") == 0 && i + 1 < argc)
            title = argv[++i];
        else if (std::strcmp(argv[i], "--presentation") == 0)
            presentation = true;
    }
    Slide slide(presentation);
    slide.setTitle(title);
    if (presentation)
        slide.show();
    else
        slide.showFullScreen();
    return QGuiApplication::exec();
}
