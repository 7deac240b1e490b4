#include "WindowImplBase.h"

#include <QWidget>
#include <QWindow>

#include <atomic>

#include "CControlUI.h"
#include "KVOLog.h"
#include "SkinBuilder.h"
#include "SkinXmlParser.h"

namespace {
std::atomic<bool> g_windowSystemMoves{false};
}

WindowImplBase::WindowImplBase(const CDuiString& skinFile) : m_sSkinFile(skinFile) {}

void WindowImplBase::SetWindowSystemMoves(bool moves) { g_windowSystemMoves = moves; }

bool WindowImplBase::StartWindowSystemMove(QWidget* window)
{
    return g_windowSystemMoves && window != nullptr && window->windowHandle() != nullptr &&
           window->windowHandle()->startSystemMove();
}

WindowImplBase::~WindowImplBase() { m_PaintManager.RemoveNotifier(this); }

void WindowImplBase::Notify(TNotifyUI&) {}

LRESULT WindowImplBase::HandleCustomMessage(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::OnLButtonDown(UINT, WPARAM, LPARAM lParam, bool& bHandled)
{
    QWidget* host = GetWidget();
    const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (host == nullptr || !m_PaintManager.IsInCaption(pt)) {
        bHandled = false;
        return 0;
    }
    if (StartWindowSystemMove(host)) {
        bHandled = true;
        return 0;
    }
    const QPoint global = host->mapToGlobal(QPoint(pt.x, pt.y));
    m_bCaptionDrag = true;
    m_ptDragStart = POINT{global.x(), global.y()};
    m_ptWindowStart = POINT{host->x(), host->y()};
    bHandled = true;
    return 0;
}

LRESULT WindowImplBase::OnLButtonUp(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = m_bCaptionDrag;
    m_bCaptionDrag = false;
    return 0;
}

LRESULT WindowImplBase::OnMouseMove(UINT, WPARAM wParam, LPARAM lParam, bool& bHandled)
{
    QWidget* host = GetWidget();
    if (!m_bCaptionDrag || host == nullptr || !(wParam & MK_LBUTTON)) {
        m_bCaptionDrag = m_bCaptionDrag && (wParam & MK_LBUTTON);
        bHandled = false;
        return 0;
    }
    const QPoint global = host->mapToGlobal(QPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
    host->move(static_cast<int>(m_ptWindowStart.x + global.x() - m_ptDragStart.x),
               static_cast<int>(m_ptWindowStart.y + global.y() - m_ptDragStart.y));
    bHandled = true;
    return 0;
}

LRESULT WindowImplBase::OnKillFocus(UINT, WPARAM, LPARAM, bool& bHandled)
{
    m_bCaptionDrag = false;
    bHandled = false;
    return 0;
}

LRESULT WindowImplBase::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    bool handled = false;
    LRESULT result = HandleCustomMessage(uMsg, wParam, lParam, handled);
    if (handled)
        return result;
    switch (uMsg) {
    case WM_LBUTTONDOWN:
        result = OnLButtonDown(uMsg, wParam, lParam, handled);
        break;
    case WM_LBUTTONUP:
        result = OnLButtonUp(uMsg, wParam, lParam, handled);
        break;
    case WM_MOUSEMOVE:
        result = OnMouseMove(uMsg, wParam, lParam, handled);
        break;
    case WM_KILLFOCUS:
        result = OnKillFocus(uMsg, wParam, lParam, handled);
        break;
    default:
        break;
    }
    if (handled)
        return result;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

bool WindowImplBase::OnCreateWindow(QWidget* host)
{
    m_PaintManager.Init(host, GetHWND());
    const std::string path = CPaintManagerUI::ResolveResourceFile(m_sSkinFile.str());
    const skin::SkinDocument doc = skin::ParseSkinFile(path);
    if (!doc.ok) {
        WriteLog(KVO_LOG_ERROR, "WindowImplBase::Create cannot load skin %s: %s", path.c_str(), doc.error.c_str());
        return false;
    }
    CControlUI* root = skin::BuildSkin(doc, m_PaintManager, host);
    if (root == nullptr) {
        WriteLog(KVO_LOG_ERROR, "WindowImplBase::Create skin %s holds no control", path.c_str());
        return false;
    }
    m_PaintManager.AddNotifier(this);
    const SIZE size = m_PaintManager.GetInitSize();
    if (size.cx > 0 && size.cy > 0)
        host->resize(static_cast<int>(size.cx), static_cast<int>(size.cy));
    const SIZE minSize = m_PaintManager.GetMinInfo();
    if (minSize.cx > 0 || minSize.cy > 0)
        host->setMinimumSize(static_cast<int>(std::max(0L, minSize.cx)), static_cast<int>(std::max(0L, minSize.cy)));
    const SIZE maxSize = m_PaintManager.GetMaxInfo();
    if (maxSize.cx > 0 && maxSize.cy > 0)
        host->setMaximumSize(static_cast<int>(maxSize.cx), static_cast<int>(maxSize.cy));
    const SIZE corner = m_PaintManager.GetRoundCorner();
    if (m_PaintManager.IsBackgroundTransparent() || corner.cx > 0 || corner.cy > 0)
        host->setAttribute(Qt::WA_TranslucentBackground, true);
    root->Place(host->rect());
    InitWindow();
    return true;
}
