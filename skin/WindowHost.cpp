#include "WindowHost.h"

#include <QCloseEvent>
#include <QMouseEvent>

#include "CControlUI.h"
#include "CWindowWnd.h"
#include "MessageEvent.h"

namespace skin {
namespace {

LPARAM PointParam(const QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    return MAKELPARAM(p.x(), p.y());
}

WPARAM ButtonState(const QMouseEvent* event)
{
    WPARAM state = 0;
    if (event->buttons() & Qt::LeftButton)
        state |= MK_LBUTTON;
    if (event->buttons() & Qt::RightButton)
        state |= MK_RBUTTON;
    return state;
}

} // namespace

CWindowHost::CWindowHost(CWindowWnd* owner, QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags), m_owner(owner)
{
    setMouseTracking(true);
}

CWindowHost::~CWindowHost()
{
    if (m_owner)
        m_owner->HostDestroyed();
}

void CWindowHost::Deliver(unsigned int msg, std::uintptr_t wParam, std::intptr_t lParam)
{
    if (m_owner)
        m_owner->HandleMessage(msg, wParam, lParam);
}

bool CWindowHost::event(QEvent* event)
{
    if (event->type() == MessageEvent::EventType()) {
        const auto* m = static_cast<MessageEvent*>(event);
        Deliver(m->msg, m->wParam, m->lParam);
        return true;
    }
    return QWidget::event(event);
}

void CWindowHost::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        Deliver(WM_LBUTTONDOWN, ButtonState(event), PointParam(event));
    else if (event->button() == Qt::RightButton)
        Deliver(WM_RBUTTONDOWN, ButtonState(event), PointParam(event));
    event->accept();
}

void CWindowHost::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        Deliver(WM_LBUTTONUP, ButtonState(event), PointParam(event));
    else if (event->button() == Qt::RightButton)
        Deliver(WM_RBUTTONUP, ButtonState(event), PointParam(event));
    event->accept();
}

void CWindowHost::mouseMoveEvent(QMouseEvent* event)
{
    Deliver(WM_MOUSEMOVE, ButtonState(event), PointParam(event));
    event->accept();
}

void CWindowHost::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    for (CControlUI* root : findChildren<CControlUI*>(Qt::FindDirectChildrenOnly))
        root->Place(rect());
    Deliver(WM_SIZE, 0, MAKELPARAM(width(), height()));
}

void CWindowHost::closeEvent(QCloseEvent* event)
{
    // Closing goes through the window: it may keep itself (hide instead) or call Close.
    event->ignore();
    Deliver(WM_CLOSE, 0, 0);
}

void CWindowHost::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange)
        Deliver(isActiveWindow() ? WM_SETFOCUS : WM_KILLFOCUS, 0, 0);
    QWidget::changeEvent(event);
}

} // namespace skin
