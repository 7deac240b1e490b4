#include "Zoom_UI.h"

#include "FrozenScreen.h"
#include "KVOLog.h"
#include "OverlayWindow.h"

#include <QEvent>
#include <QPainter>
#include <QWidget>

namespace {

// Paints the darkened picture over the background control when there is one to paint.
class FallbackPainter final : public QObject {
public:
    explicit FallbackPainter(const QImage& picture) : m_picture(picture) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Paint || m_picture.isNull())
            return false;
        auto* control = static_cast<QWidget*>(watched);
        QPainter painter(control);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(QRectF(control->rect()), m_picture);
        return true;
    }

private:
    const QImage& m_picture;
};

} // namespace

Zoom_UI::Zoom_UI() : WindowImplBase("ZoomUI.xml") {}

Zoom_UI::~Zoom_UI()
{
    if (m_pBackground != nullptr && m_pPainter)
        m_pBackground->removeEventFilter(m_pPainter.get());
}

bool Zoom_UI::Build()
{
    return BuildEffectWindow(*this, WS_POPUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                             WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TRANSPARENT | WS_EX_LAYERED, 500,
                             500, "Zoom_UI::Build ZoomUI.xml could not be built");
}

void Zoom_UI::InitWindow()
{
    m_pBackground = m_PaintManager.FindControl("windowbackground");
    if (m_pBackground != nullptr) {
        m_pPainter = std::make_unique<FallbackPainter>(m_fallback);
        m_pBackground->installEventFilter(m_pPainter.get());
    }
    if (QWidget* host = GetWidget()) {
        SetOverlayTraits(host, true);
        host->hide();
    }
}

void Zoom_UI::Cover(const EffectSurface& surface, int alpha, bool composited, const QImage& frozen, QPoint frozenOrigin)
{
    QWidget* host = GetWidget();
    if (host == nullptr)
        return;
    alpha &= 0xFF;
    if (composited) {
        m_fallback = QImage();
        if (m_pBackground != nullptr)
            m_pBackground->SetBkColor(static_cast<DWORD>(alpha) << 24);
    } else {
        const platform::ScreenRect& s = surface.physical;
        FrozenScreen picture{frozen, frozenOrigin};
        m_fallback = picture.Copy(s.x, s.y, s.width, s.height);
        QPainter painter(&m_fallback);
        painter.fillRect(m_fallback.rect(), QColor(0, 0, 0, alpha));
        if (m_pBackground != nullptr)
            m_pBackground->SetBkColor(0xFF000000u);
    }
    host->setGeometry(surface.logical);
    if (m_pBackground != nullptr)
        m_pBackground->update();
    if (!host->isVisible()) {
        host->show();
        host->raise();
    }
    m_bCovering = true;
}

void Zoom_UI::Collapse()
{
    if (QWidget* host = GetWidget())
        HideAndReleaseBuffer(host);
    m_fallback = QImage();
    m_bCovering = false;
}

LRESULT Zoom_UI::HandleCustomMessage(UINT uMsg, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = uMsg == WM_RBUTTONUP;
    return 0;
}

void Zoom_UI::CloseProcedure()
{
    WriteLog(KVO_LOG_INFO, "Zoom_UI::CloseProcedure()");
    Collapse();
    if (GetHWND() != nullptr)
        Close(IDOK);
}
