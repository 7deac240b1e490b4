#include "OverlayWindow.h"

#include "CWindowWnd.h"
#include "EffectWindows.h"
#include "KVOLog.h"

#include <QBackingStore>
#include <QWidget>

void SetOverlayTraits(QWidget* window, bool clickThrough)
{
    Qt::WindowFlags flags = window->windowFlags() | Qt::Window | Qt::FramelessWindowHint | Qt::Tool |
                            Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus | Qt::X11BypassWindowManagerHint;
    flags.setFlag(Qt::WindowTransparentForInput, clickThrough);
    window->setWindowFlags(flags);
    window->setAttribute(Qt::WA_ShowWithoutActivating, true);
    window->setAttribute(Qt::WA_TranslucentBackground, true);
    window->setFocusPolicy(Qt::NoFocus);
    EffectWindows::Track(window);
}

bool BuildEffectWindow(CWindowWnd& window, DWORD style, DWORD exStyle, int cx, int cy, const char* failure)
{
    if (window.GetHWND() != nullptr)
        return true;
    if (window.Create(nullptr, "", style, exStyle, 0, 0, cx, cy) != nullptr)
        return true;
    WriteLog(KVO_LOG_ERROR, "%s", failure);
    return false;
}

void HideAndReleaseBuffer(QWidget* window)
{
    window->hide();
    if (QBackingStore* store = window->backingStore())
        store->resize(QSize(1, 1));
}

bool CreateEffectHost(CWindowWnd& window, std::atomic<HWND>& postTarget, const char* failure)
{
    const bool built = BuildEffectWindow(window, WS_POPUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                                         WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, 0, 0, failure);
    postTarget.store(window.GetHWND());
    return built;
}
