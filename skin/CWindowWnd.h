#pragma once
// A top-level window: a frameless QWidget registered under a window handle, receiving posted
// messages and mouse input as (message, wParam, lParam) through HandleMessage. UI thread only,
// except PostMessageW.

#include <QPointer>
#include <map>
#include <memory>

#include "CDuiString.h"
#include "SkinTypes.h"
#include "WindowHandle.h"

class QEventLoop;
class QTimer;
class QWidget;
namespace skin { class CWindowHost; }

class CWindowWnd {
public:
    CWindowWnd();
    virtual ~CWindowWnd();
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;

    // nullptr until created and again after the window is destroyed.
    HWND GetHWND() const;
    operator HWND() const { return GetHWND(); } // NOLINT: handle-style use
    // The window's top-level widget, or nullptr.
    QWidget* GetWidget() const;

    virtual const char* GetWindowClassName() const { return ""; }

    // Creates the window (owned by `hwndParent`'s window when given): style bits WS_VISIBLE
    // (show at once), WS_CHILD (a part of `hwndParent`'s window at x/y in its coordinates, which
    // the window system never places), extended bits WS_EX_TOOLWINDOW, WS_EX_TOPMOST, WS_EX_NOACTIVATE,
    // WS_EX_TRANSPARENT (input passes through), WS_EX_LAYERED (translucent). A width or height of
    // 0 or CW_USEDEFAULT takes the window's own size; x/y CW_USEDEFAULT centre it on the screen.
    // Returns nullptr when the window could not be built.
    HWND Create(HWND hwndParent, const char* pstrName, DWORD dwStyle, DWORD dwExStyle,
                int x = CW_USEDEFAULT, int y = CW_USEDEFAULT, int cx = CW_USEDEFAULT,
                int cy = CW_USEDEFAULT, HMENU hMenu = nullptr);
    HWND Create(HWND hwndParent, const char* pstrName, DWORD dwStyle, DWORD dwExStyle,
                const RECT& rc, HMENU hMenu = nullptr);

    void ShowWindow(bool bShow = true, bool bTakeFocus = true);
    // Shows the window modal to its owner (to every window when it has none) and runs a nested
    // event loop until Close; returns Close's result
    // (IDCANCEL when the window was destroyed another way). Refused (returns -1) off the UI
    // thread or before Create.
    UINT ShowModal();
    // Hides and destroys the window (deferred to the event loop, so it is safe from inside a
    // notification of one of its controls) and ends ShowModal with `nRet`.
    void Close(UINT nRet = IDOK);
    // Centres on the owner window, or on the screen when there is none.
    void CenterWindow();
    void ResizeClient(int cx = -1, int cy = -1);

    // Queued delivery to HandleMessage; any thread. FALSE when the window does not exist.
    BOOL PostMessageW(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);
    // Immediate delivery to HandleMessage; UI thread.
    LRESULT SendMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);

    // A repeating timer that delivers WM_TIMER with wParam = id. Setting an id again restarts it.
    bool SetTimer(UINT id, UINT elapseMs);
    void KillTimer(UINT id);

    // Every message of the window comes here: posted ones, timers, mouse, focus, WM_CLOSE.
    // The base closes the window on WM_CLOSE. Do not delete the window object from inside
    // its handlers: call Close and delete it in OnFinalMessage.
    virtual LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);

protected:
    // Fills the new top-level widget (the skin is built here); false fails Create.
    virtual bool OnCreateWindow(QWidget* host);
    // Called after the window has been destroyed; the object may delete itself here.
    virtual void OnFinalMessage(HWND hWnd);

private:
    friend class skin::CWindowHost;
    void HostDestroyed();

    QPointer<skin::CWindowHost> m_host;
    HWND m_hWnd = nullptr;
    // While ShowModal runs: its loop and where Close puts the result. Both live on
    // ShowModal's stack, which stays valid even if this object is deleted meanwhile.
    QEventLoop* m_modalLoop = nullptr;
    UINT* m_modalResult = nullptr;
    // Timers are children of the host widget and die with it.
    std::map<UINT, QPointer<QTimer>> m_timers;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    // Set by Close: a ShowModal that starts afterwards returns this at once.
    bool m_bClosing = false;
    UINT m_closeResult = IDCANCEL;
};
