#include "CWindowWnd.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include "CControlUI.h"
#include "KVOLog.h"
#include "UiThread.h"
#include "WindowHost.h"

namespace {

Qt::WindowFlags FlagsFor(DWORD style, DWORD exStyle)
{
    // A child is a part of its parent's window, placed in the parent's coordinates.
    if (style & WS_CHILD)
        return Qt::Widget;
    Qt::WindowFlags flags = Qt::Window | Qt::FramelessWindowHint;
    if (exStyle & WS_EX_TOOLWINDOW)
        flags |= Qt::Tool;
    if (exStyle & WS_EX_TOPMOST)
        flags |= Qt::WindowStaysOnTopHint;
    if (exStyle & WS_EX_NOACTIVATE)
        flags |= Qt::WindowDoesNotAcceptFocus;
    if (exStyle & WS_EX_TRANSPARENT)
        flags |= Qt::WindowTransparentForInput;
    return flags;
}

} // namespace

CWindowWnd::CWindowWnd() = default;

CWindowWnd::~CWindowWnd()
{
    *m_alive = false;
    if (m_modalLoop)
        m_modalLoop->exit();
    if (m_hWnd)
        skin::UnregisterWindowWidget(m_hWnd);
    if (m_host) {
        m_host->Detach();
        delete m_host.data();
    }
}

HWND CWindowWnd::GetHWND() const { return m_host ? m_hWnd : nullptr; }

QWidget* CWindowWnd::GetWidget() const { return m_host.data(); }

HWND CWindowWnd::Create(HWND hwndParent, const char* pstrName, DWORD dwStyle, DWORD dwExStyle, int x, int y, int cx,
                        int cy, HMENU)
{
    if (!IsUiThread()) {
        WriteLog(KVO_LOG_ERROR, "CWindowWnd::Create %s refused: not on the UI thread", pstrName ? pstrName : "");
        return nullptr;
    }
    if (m_host) {
        WriteLog(KVO_LOG_ERROR, "CWindowWnd::Create %s refused: the window exists already", pstrName ? pstrName : "");
        return nullptr;
    }
    QWidget* owner = hwndParent ? WidgetFromHWND(hwndParent) : nullptr;
    if ((dwStyle & WS_CHILD) && owner == nullptr) {
        WriteLog(KVO_LOG_ERROR, "CWindowWnd::Create %s refused: a child needs a parent window", pstrName ? pstrName : "");
        return nullptr;
    }
    auto host = std::make_unique<skin::CWindowHost>(this, owner, FlagsFor(dwStyle, dwExStyle));
    host->setWindowTitle(QString::fromUtf8(pstrName ? pstrName : ""));
    host->setObjectName(QString::fromUtf8(GetWindowClassName()));
    if (dwExStyle & WS_EX_NOACTIVATE)
        host->setAttribute(Qt::WA_ShowWithoutActivating, true);
    if (dwExStyle & WS_EX_LAYERED)
        host->setAttribute(Qt::WA_TranslucentBackground, true);
    // A window's input region is the window system's business; a child's is ours.
    if ((dwStyle & WS_CHILD) && (dwExStyle & WS_EX_TRANSPARENT))
        host->setAttribute(Qt::WA_TransparentForMouseEvents, true);
    const bool defaultPos = x == CW_USEDEFAULT || y == CW_USEDEFAULT;
    const bool defaultSize = cx == CW_USEDEFAULT || cy == CW_USEDEFAULT || cx <= 0 || cy <= 0;
    host->setGeometry(defaultPos ? 0 : x, defaultPos ? 0 : y, defaultSize ? 100 : cx, defaultSize ? 100 : cy);

    // The handle exists before the window's own set-up runs, which may post to itself.
    m_host = host.release(); // owned by this object (deleted in the destructor) or by the owner window
    m_hWnd = skin::RegisterWindowWidget(m_host);
    m_bClosing = false;
    const std::weak_ptr<bool> alive = m_alive;
    if (!OnCreateWindow(m_host)) {
        if (!alive.lock())
            return nullptr;
        skin::UnregisterWindowWidget(m_hWnd);
        m_hWnd = nullptr;
        m_host->Detach();
        delete m_host.data();
        return nullptr;
    }
    if (!alive.lock() || !m_host)
        return nullptr;
    if (defaultPos)
        CenterWindow();
    if (dwStyle & WS_VISIBLE)
        ShowWindow(true, !(dwExStyle & WS_EX_NOACTIVATE));
    return m_hWnd;
}

HWND CWindowWnd::Create(HWND hwndParent, const char* pstrName, DWORD dwStyle, DWORD dwExStyle, const RECT& rc,
                        HMENU hMenu)
{
    return Create(hwndParent, pstrName, dwStyle, dwExStyle, static_cast<int>(rc.left), static_cast<int>(rc.top),
                  static_cast<int>(rc.right - rc.left), static_cast<int>(rc.bottom - rc.top), hMenu);
}

void CWindowWnd::ShowWindow(bool bShow, bool bTakeFocus)
{
    if (!m_host)
        return;
    if (!bShow) {
        m_host->hide();
        return;
    }
    const bool had = m_host->testAttribute(Qt::WA_ShowWithoutActivating);
    if (!bTakeFocus)
        m_host->setAttribute(Qt::WA_ShowWithoutActivating, true);
    m_host->show();
    m_host->raise();
    if (bTakeFocus)
        m_host->activateWindow();
    m_host->setAttribute(Qt::WA_ShowWithoutActivating, had);
}

UINT CWindowWnd::ShowModal()
{
    if (!m_host || !IsUiThread() || m_modalLoop) {
        WriteLog(KVO_LOG_ERROR, "CWindowWnd::ShowModal refused: %s", !m_host ? "no window" : (m_modalLoop ? "already modal" : "not on the UI thread"));
        return static_cast<UINT>(-1);
    }
    if (m_bClosing)
        return m_closeResult;
    UINT result = IDCANCEL;
    QEventLoop loop;
    m_modalLoop = &loop;
    m_modalResult = &result;
    const std::weak_ptr<bool> alive = m_alive;
    // Modal to its owner window (to the whole program when it has none): the windows behind it
    // take no input until it closes. Qt takes the modality at show time.
    if (m_host->isVisible())
        m_host->hide();
    m_host->setWindowModality(m_host->parentWidget() != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
    ShowWindow(true, true);
    loop.exec(QEventLoop::DialogExec);
    if (alive.lock()) {
        m_modalLoop = nullptr;
        m_modalResult = nullptr;
    }
    return result;
}

void CWindowWnd::Close(UINT nRet)
{
    if (m_host && !m_bClosing) {
        m_bClosing = true;
        m_closeResult = nRet;
    }
    if (m_modalResult)
        *m_modalResult = nRet;
    if (m_modalLoop)
        m_modalLoop->exit();
    if (!m_host)
        return;
    m_host->hide();
    // Deferred: Close is often called from a handler of the window's own controls.
    m_host->deleteLater();
}

void CWindowWnd::CenterWindow()
{
    if (!m_host)
        return;
    QRect area;
    if (QWidget* owner = m_host->parentWidget(); owner && owner->isVisible())
        area = owner->window()->frameGeometry();
    else if (QScreen* screen = m_host->screen() ? m_host->screen() : QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isEmpty())
        return;
    QRect r = m_host->geometry();
    r.moveCenter(area.center());
    m_host->move(r.topLeft());
}

void CWindowWnd::ResizeClient(int cx, int cy)
{
    if (!m_host)
        return;
    m_host->resize(cx < 0 ? m_host->width() : cx, cy < 0 ? m_host->height() : cy);
    // A hidden window gets its resize event only when shown; place the controls now so that
    // positions read before then are right.
    for (CControlUI* root : m_host->findChildren<CControlUI*>(Qt::FindDirectChildrenOnly))
        root->Place(m_host->rect());
}

BOOL CWindowWnd::PostMessageW(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return ::PostMessageW(m_hWnd, uMsg, wParam, lParam);
}

LRESULT CWindowWnd::SendMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return HandleMessage(uMsg, wParam, lParam);
}

bool CWindowWnd::SetTimer(UINT id, UINT elapseMs)
{
    if (!m_host)
        return false;
    QPointer<QTimer>& slot = m_timers[id];
    if (!slot) {
        slot = new QTimer(m_host); // a child of the window: it dies with it
        QObject::connect(slot.data(), &QTimer::timeout, m_host, [this, id] { HandleMessage(WM_TIMER, id, 0); });
    }
    slot->start(static_cast<int>(std::min<UINT>(elapseMs, 0x7FFFFFFF)));
    return true;
}

void CWindowWnd::KillTimer(UINT id)
{
    const auto it = m_timers.find(id);
    if (it == m_timers.end())
        return;
    if (it->second) {
        it->second->stop();
        it->second->deleteLater(); // it may be the timer whose tick is being handled
    }
    m_timers.erase(it);
}

LRESULT CWindowWnd::HandleMessage(UINT uMsg, WPARAM, LPARAM)
{
    if (uMsg == WM_CLOSE)
        Close(IDCANCEL);
    return 0;
}

bool CWindowWnd::OnCreateWindow(QWidget*) { return true; }

void CWindowWnd::OnFinalMessage(HWND) {}

void CWindowWnd::HostDestroyed()
{
    // The widget is going (closed, or deleted with its owner window).
    if (m_hWnd)
        skin::UnregisterWindowWidget(m_hWnd);
    const HWND old = m_hWnd;
    m_hWnd = nullptr;
    m_host = nullptr;
    m_timers.clear();
    if (m_modalLoop)
        m_modalLoop->exit();
    OnFinalMessage(old);
}
