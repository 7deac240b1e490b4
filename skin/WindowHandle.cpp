#include "WindowHandle.h"

#include <QCoreApplication>
#include <QWidget>
#include <mutex>
#include <unordered_map>

#include "MessageEvent.h"
#include "SkinMessage.h"

namespace {

// Handles are numbers counted up from 1 and never reused; the table maps the live ones to
// their widgets. The lock also orders a post against the widget's unregistration, so a post
// either queues the event before the widget is gone (Qt then discards it with the widget)
// or finds no entry.
struct HandleTable {
    std::mutex lock;
    std::unordered_map<std::uintptr_t, QWidget*> widgets;
    std::uintptr_t next = 1;
};

HandleTable& Table()
{
    static HandleTable table;
    return table;
}

std::uintptr_t Key(HWND hwnd) { return reinterpret_cast<std::uintptr_t>(hwnd); }

} // namespace

namespace skin {

HWND RegisterWindowWidget(QWidget* widget)
{
    HandleTable& t = Table();
    std::lock_guard<std::mutex> guard(t.lock);
    const std::uintptr_t key = t.next++;
    t.widgets[key] = widget;
    return reinterpret_cast<HWND>(key);
}

void UnregisterWindowWidget(HWND hwnd)
{
    HandleTable& t = Table();
    std::lock_guard<std::mutex> guard(t.lock);
    t.widgets.erase(Key(hwnd));
}

} // namespace skin

QWidget* WidgetFromHWND(HWND hwnd)
{
    HandleTable& t = Table();
    std::lock_guard<std::mutex> guard(t.lock);
    const auto it = t.widgets.find(Key(hwnd));
    return it == t.widgets.end() ? nullptr : it->second;
}

bool IsWindow(HWND hwnd) { return WidgetFromHWND(hwnd) != nullptr; }

bool ShowWindow(HWND hwnd, int nCmdShow)
{
    QWidget* w = WidgetFromHWND(hwnd);
    if (w == nullptr)
        return false;
    const bool wasVisible = w->isVisible();
    switch (nCmdShow) {
    case SW_HIDE:
        w->hide();
        break;
    case SW_MINIMIZE:
        w->showMinimized();
        break;
    case SW_SHOWNOACTIVATE:
    case SW_SHOWNA: {
        const bool had = w->testAttribute(Qt::WA_ShowWithoutActivating);
        w->setAttribute(Qt::WA_ShowWithoutActivating, true);
        w->show();
        w->setAttribute(Qt::WA_ShowWithoutActivating, had);
        break;
    }
    case SW_RESTORE:
        w->showNormal();
        w->activateWindow();
        break;
    default:
        w->show();
        w->raise();
        w->activateWindow();
        break;
    }
    return wasVisible;
}

bool IsWindowVisible(HWND hwnd)
{
    QWidget* w = WidgetFromHWND(hwnd);
    return w != nullptr && w->isVisible();
}

BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    HandleTable& t = Table();
    std::lock_guard<std::mutex> guard(t.lock);
    const auto it = t.widgets.find(Key(hwnd));
    if (it == t.widgets.end())
        return FALSE;
    QCoreApplication::postEvent(it->second, new skin::MessageEvent(msg, wParam, lParam));
    return TRUE;
}

bool PostMessageToWindow(void* hwnd, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam)
{
    return PostMessageW(static_cast<HWND>(hwnd), msg, wParam, lParam) == TRUE;
}
