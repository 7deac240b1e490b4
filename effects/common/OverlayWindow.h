#pragma once
// The window traits every effect window shares on X11: override-redirect (above a full-screen
// slide show, no frame, never managed into the task bar or pager), never focused, shown without
// activation, translucent where a compositor draws it. Click-through windows get an empty input
// shape. UI thread, before the window is first shown.

#include "SkinTypes.h"
#include "UiThread.h"

#include <atomic>
#include <memory>
#include <mutex>

class CWindowWnd;
class QWidget;

void SetOverlayTraits(QWidget* window, bool clickThrough);

// Creates an effect window once (a popup with `exStyle`, `cx` x `cy` at (0, 0)); true when it
// exists. A failure is logged with `failure`. UI thread.
bool BuildEffectWindow(CWindowWnd& window, DWORD style, DWORD exStyle, int cx, int cy, const char* failure);

// Hides `window` and gives its paint buffer back: a hidden full-screen cover would otherwise keep
// 32 MiB at 3840 x 2160. Qt allocates the buffer again, and repaints it all, at the next show.
void HideAndReleaseBuffer(QWidget* window);

// Gets `owner->Apply()` to the UI thread once for any number of calls made before it runs:
// `posted` (guarded by `lock`) says a call is on its way, and Apply clears it under that lock.
// Called on the UI thread it applies at once. The call does nothing when the owner is gone by then.
template <class T>
void PostApplyOnce(const std::shared_ptr<T>& owner, std::mutex& lock, bool& posted)
{
    {
        std::lock_guard guard(lock);
        if (posted && !IsUiThread())
            return;
        posted = true;
    }
    std::weak_ptr<T> weak = owner;
    CallOnUiThread(
        [weak] {
            if (std::shared_ptr<T> alive = weak.lock())
                alive->Apply();
        },
        false);
}

// Creates an effect's host window hidden and off the task bar, logs `failure` (error level) when
// it cannot be built, and publishes its handle to `postTarget` for other threads. UI thread.
bool CreateEffectHost(CWindowWnd& window, std::atomic<HWND>& postTarget, const char* failure);
