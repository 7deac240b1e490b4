#include "CPostilDrawWindow.h"

#include "KVOLog.h"
#include "OverlayWindow.h"
#include "PenLayer.h"

#include <QPaintEvent>
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {

// Shows the picture; mouse input goes through to the window itself.
class CanvasView final : public QWidget {
public:
    CanvasView(QWidget* parent, const QImage& canvas) : QWidget(parent), m_canvas(canvas)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents, true);
        setAttribute(Qt::WA_OpaquePaintEvent, true);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        if (m_canvas.isNull()) {
            painter.fillRect(event->rect(), Qt::black);
            return;
        }
        const qreal r = m_canvas.devicePixelRatio();
        const QRectF part(event->rect());
        painter.drawImage(part, m_canvas, QRectF(part.x() * r, part.y() * r, part.width() * r, part.height() * r));
    }

private:
    const QImage& m_canvas;
};

} // namespace

CPostilDrawWindow::CPostilDrawWindow(std::function<void()> onRightButtonUp, std::function<QImage()> frozenPart)
    : m_onRightButtonUp(std::move(onRightButtonUp)), m_frozenPart(std::move(frozenPart))
{
}

bool CPostilDrawWindow::Build()
{
    return BuildEffectWindow(*this, WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, 1, 1,
                             "CPresenterPostil::Create drawing window could not be built");
}

bool CPostilDrawWindow::OnCreateWindow(QWidget* host)
{
    WriteLog(KVO_LOG_INFO, "CreatePostilWindowCallBack WM_INITDIALOG");
    SetOverlayTraits(host, false);
    // Opaque: it shows the frozen picture, never what lies beneath.
    host->setAttribute(Qt::WA_TranslucentBackground, false);
    m_pView = new CanvasView(host, m_canvas);
    host->hide();
    return true;
}

void CPostilDrawWindow::Cover(const EffectSurface& surface, QImage picture)
{
    QWidget* host = GetWidget();
    if (host == nullptr)
        return;
    m_surface = surface;
    m_canvas = std::move(picture);
    m_canvas.setDevicePixelRatio(surface.ratio);
    m_bOnLayer = m_pLayer != nullptr && m_pLayer->Cover(surface.physical, m_canvas);
    if (m_bOnLayer) {
        if (!m_bCovering)
            WriteLog(KVO_LOG_INFO, "CPostilDrawWindow::Cover on the compositor's overlay layer");
        m_bCovering = true;
        return;
    }
    host->setGeometry(surface.logical);
    m_pView->setGeometry(QRect(QPoint(0, 0), surface.logical.size()));
    m_pView->update();
    if (!host->isVisible()) {
        host->show();
        host->raise();
    }
    m_bCovering = true;
}

void CPostilDrawWindow::Draw(const PostilSegment& s)
{
    if (m_canvas.isNull())
        return;
    {
        QPainter painter(&m_canvas);
        painter.scale(1 / m_canvas.devicePixelRatio(), 1 / m_canvas.devicePixelRatio());
        // A hard core one pixel narrower, then the smooth line of the full width over it.
        if (s.width > 1) {
            painter.setPen(QPen(s.colour, s.width - 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.drawLine(s.from, s.to);
        }
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(QPen(s.colour, s.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawLine(s.from, s.to);
    }
    const int margin = s.width / 2 + 2;
    const QRect physical = QRect(s.from, s.to).normalized().adjusted(-margin, -margin, margin, margin);
    const qreal r = m_surface.ratio;
    m_lastDamage = QRect(QPoint(static_cast<int>(std::floor(physical.left() / r)), static_cast<int>(std::floor(physical.top() / r))),
                         QPoint(static_cast<int>(std::ceil((physical.right() + 1) / r)), static_cast<int>(std::ceil((physical.bottom() + 1) / r))));
    if (m_bOnLayer)
        m_pLayer->Update(m_canvas, physical);
    else if (m_pView != nullptr)
        m_pView->update(m_lastDamage);
}

void CPostilDrawWindow::Repaint(QImage picture)
{
    if (!m_bCovering || picture.isNull())
        return;
    m_canvas = std::move(picture);
    m_canvas.setDevicePixelRatio(m_surface.ratio);
    if (m_bOnLayer)
        m_pLayer->Update(m_canvas, m_canvas.rect());
    else if (m_pView != nullptr)
        m_pView->update();
}

void CPostilDrawWindow::Collapse()
{
    if (m_bOnLayer)
        m_pLayer->Hide();
    m_bOnLayer = false;
    if (QWidget* host = GetWidget())
        HideAndReleaseBuffer(host);
    m_canvas = QImage();
    m_bCovering = false;
}

LRESULT CPostilDrawWindow::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_RBUTTONUP) {
        WriteLog(KVO_LOG_INFO, "CreateWindowCallBack WM_RBUTTONUP StopFunction()");
        if (m_onRightButtonUp)
            m_onRightButtonUp();
        return 0;
    }
    if (uMsg == WM_CLEAR_POSTIL) {
        WriteLog(KVO_LOG_INFO, "CreatePostilWindowCallBack WM_CLEAR_POSTIL");
        if (m_frozenPart)
            Repaint(m_frozenPart());
        return 0;
    }
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}
