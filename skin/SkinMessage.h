#pragma once
// Posting a window message without Qt in sight: for the device link and the services, which
// hold a window handle as a plain pointer-sized value. Safe from any thread; the message is
// delivered on the UI thread to the window's HandleCustomMessage. A handle whose window is gone
// (or was never one) drops the message and returns false.

#include <cstdint>

bool PostMessageToWindow(void* hwnd, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam);
