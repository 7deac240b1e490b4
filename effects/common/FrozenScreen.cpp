#include "FrozenScreen.h"

#include "EffectServices.h"
#include "EffectWindows.h"
#include "KVOLog.h"

#include <QPainter>

FrozenScreen FrozenScreen::Capture(platform::IScreenCapture* capture, const char* who)
{
    FrozenScreen frozen;
    platform::CapturedScreen shot;
    if (capture == nullptr || !capture->CaptureVirtualScreen(shot) || !shot.pixels) {
        WriteLog(KVO_LOG_ERROR, "%s the screen could not be captured", who);
        return frozen;
    }
    // The image takes the pixels over and frees them with its last copy.
    uint32_t* pixels = shot.pixels.release();
    frozen.image = QImage(reinterpret_cast<uchar*>(pixels), shot.width, shot.height, shot.width * 4,
                          QImage::Format_RGB32, [](void* p) { delete[] static_cast<uint32_t*>(p); }, pixels);
    frozen.origin = QPoint(shot.originX, shot.originY);
    return frozen;
}

FrozenScreen FrozenScreen::CaptureWhenClear(const EffectServices& services, const char* who)
{
    EffectWindows::WaitUntilGone(services, who);
    FrozenScreen frozen = Capture(services.capture, who);
    // A picture that failed must not turn into a black screen: the caller shows nothing, and
    // the user hears of it once, not at every press.
    if (frozen.image.isNull() && !services.captureFailureTold->exchange(true))
        services.TellUser("tooltip", "capture_failed_tooltip");
    return frozen;
}

QImage FrozenScreen::Copy(int x, int y, int width, int height) const
{
    const QRect wanted(x - origin.x(), y - origin.y(), width, height);
    if (!image.isNull() && image.rect().contains(wanted))
        return image.copy(wanted);
    QImage part(width, height, QImage::Format_RGB32);
    part.fill(Qt::black);
    if (!image.isNull()) {
        QPainter painter(&part);
        painter.drawImage(QPoint(0, 0), image, wanted);
    }
    return part;
}
