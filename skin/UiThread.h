#pragma once
// The one way to reach the UI thread. Widgets live on the UI thread only; worker threads (the
// effects' workers, the device link, the keyboard hook) reach it through these calls, which act at
// once when the caller is already there and post to it from anywhere else.

#include "SkinTypes.h"

#include <functional>

class CWindowWnd;

// Whether the caller runs on the thread that owns the widgets. False without an application.
bool IsUiThread();

// Runs `call` on the UI thread: at once when already there, else queued; with `wait` the caller
// blocks until it ran (never used where the UI thread may be waiting on the caller). Without an
// application nothing runs.
void CallOnUiThread(const std::function<void()>& call, bool wait);

// Hands `msg` to `window` through its message layer: sent at once on the UI thread, else posted to
// `target`, the window's handle as last published for other threads. A window that is gone by then
// drops the message, so a posting thread never reaches a freed window. False when no window took
// it (no window on the UI thread, or the post failed), so the caller may post again later.
bool DeliverToWindow(CWindowWnd& window, HWND target, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
