#include "EffectTestSupport.h"

#include "CPaintManagerUI.h"

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QThread>

#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

EffectSkinFolder::EffectSkinFolder(unsigned int laserArgb)
{
    const fs::path source = fs::path(ORVELLE_SOURCE_DIR) / "res/ImgRes";
    for (const char* skin :
         {"SearchlightUI.xml", "DigitalLaserUI.xml", "ZoomUI.xml", "PostilPencilUI.xml", "PostilPencilTipUI.xml",
          "BlankScreenUI.xml"})
        fs::copy_file(source / skin, m_dir.path() / skin);
    fs::create_directories(m_dir.path() / "button/FunctionSet/DigitalLaser");
    QImage marker(22, 22, QImage::Format_ARGB32);
    marker.fill(Qt::transparent);
    {
        QPainter painter(&marker);
        painter.setBrush(Qt::white);
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QRectF(4, 4, 14, 14));
    }
    marker.save(QString::fromStdString((m_dir.path() / "button/FunctionSet/Mouse_Center.png").string()), "PNG");
    if (laserArgb != 0) {
        QImage laser(200, 200, QImage::Format_ARGB32);
        laser.fill(QColor::fromRgba(laserArgb));
        laser.save(QString::fromStdString((m_dir.path() / "button/FunctionSet/DigitalLaser/red@10x.png").string()), "PNG");
    }
    CPaintManagerUI::ClearImageCache();
    CPaintManagerUI::SetResourcePath(CDuiString(m_dir.path().string()));
}

EffectSkinFolder::~EffectSkinFolder() { CPaintManagerUI::ClearImageCache(); }

FakeScreenCapture::FakeScreenCapture(int width, int height, uint32_t argb)
    : m_width(width), m_height(height), m_pixels(static_cast<size_t>(width) * height, argb)
{
}

bool FakeScreenCapture::CaptureVirtualScreen(platform::CapturedScreen& out)
{
    ++captures;
    if (onCapture)
        onCapture();
    if (failing)
        return false;
    out.width = m_width;
    out.height = m_height;
    out.pixels = std::make_unique<uint32_t[]>(m_pixels.size());
    std::copy(m_pixels.begin(), m_pixels.end(), out.pixels.get());
    return true;
}

void FakeScreenCapture::Square(int x, int y, int side, uint32_t argb)
{
    for (int py = y; py < y + side; ++py)
        for (int px = x; px < x + side; ++px)
            m_pixels[static_cast<size_t>(py) * m_width + px] = argb;
}

EffectServices TestServices(const platform::IPresentationScreen& screen, platform::ICompositor& compositor,
                            CConfigManager& config)
{
    EffectServices services;
    services.screen = &screen;
    services.compositor = &compositor;
    services.config = &config;
    services.stopFunction = [] {};
    return services;
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

