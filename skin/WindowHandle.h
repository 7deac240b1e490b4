#pragma once
// Window handles: each skinned window's top-level widget is registered under a fresh handle.
// Lookups from other threads go through a lock, so posting to a window that is being destroyed
// either reaches it before it goes or is dropped.

#include "SkinTypes.h"

class QWidget;

// The widget of a live window, or nullptr. UI thread only (the widget may die at any time otherwise).
QWidget* WidgetFromHWND(HWND hwnd);
// True while the handle's window exists. Any thread.
bool IsWindow(HWND hwnd);

// Handle-based window calls for code that keeps handles rather than window objects. UI thread.
bool ShowWindow(HWND hwnd, int nCmdShow);
bool IsWindowVisible(HWND hwnd);

// Posts (msg, wParam, lParam) to the window. Any thread. FALSE when the window does not exist.
BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

namespace skin {
// Used by CWindowWnd: gives the widget a new handle / forgets it (before the widget dies).
HWND RegisterWindowWidget(QWidget* widget);
void UnregisterWindowWidget(HWND hwnd);
} // namespace skin
