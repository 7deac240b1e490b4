// A native Wayland program that shows the test slide full screen until it is ended, standing in
// for a presentation program in the Wayland tests. Prints "shown WxH" for each size it draws.

#include "SlidePattern.h"

#include <QGuiApplication>
#include <QPainter>
#include <QRasterWindow>

#include <cstdio>

namespace {

class Slide final : public QRasterWindow {
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

private:
    QSize m_told;
};

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    Slide slide;
    slide.setTitle("Test slide");
    slide.showFullScreen();
    return QGuiApplication::exec();
}
