#include "EffectWindows.h"

#include "CaptureBlockers.h"
#include "EffectServices.h"
#include "IOverlaySurfaces.h"
#include "IScreenCapture.h"
#include "KVOLog.h"
#include "UiThread.h"
#include "X11KeepAbove.h"
#include "X11NativeWindow.h"

#include <QCoreApplication>
#include <QWidget>

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace {

// One look at the windows on the UI thread; the asking thread waits for it with a limit, since
// the UI thread may itself be waiting for that thread (the program ending).
struct Look {
    std::mutex lock;
    std::condition_variable done;
    bool answered = false;
    bool gone = false;
};

} // namespace

void EffectWindows::Track(QWidget* window)
{
    platform::CaptureBlockers::Add(window);
    // Above a slide show that goes full screen while the effect is up.
    platform::X11KeepAbove::Track(window);
}

void EffectWindows::Untrack(QWidget* window) { platform::CaptureBlockers::Remove(window); }

bool EffectWindows::AnyShown() { return platform::CaptureBlockers::AnyShown(); }

bool EffectWindows::WaitUntilGone(const EffectServices& services, const char* who, std::chrono::milliseconds limit)
{
    if (QCoreApplication::instance() == nullptr)
        return true;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    bool gone = false;
    for (;;) {
        auto look = std::make_shared<Look>();
        platform::IOverlaySurfaces* overlays = services.overlays;
        CallOnUiThread(
            [look, overlays] {
                const bool none = !AnyShown() && (overlays == nullptr || overlays->ShownCount() == 0);
                // The hides are requests on other connections: carried out before we read the screen.
                if (none)
                    platform::SyncWithServer();
                if (none && overlays != nullptr)
                    overlays->Sync();
                std::lock_guard guard(look->lock);
                look->gone = none;
                look->answered = true;
                look->done.notify_all();
            },
            false);
        {
            std::unique_lock guard(look->lock);
            look->done.wait_until(guard, deadline, [&] { return look->answered; });
            gone = look->gone;
        }
        if (gone || IsUiThread() || std::chrono::steady_clock::now() >= deadline)
            break;
        // A hide still on its way through an effect's worker.
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (!gone) {
        WriteLog(KVO_LOG_WARN, "%s effect windows still on the screen, captured anyway", who);
        return false;
    }
    if (services.capture != nullptr && services.Composited()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (!services.capture->WaitForRepaint(static_cast<int>(std::max<long long>(left.count(), 100)))) {
            WriteLog(KVO_LOG_WARN, "%s the compositor did not repaint in time, captured anyway", who);
            return false;
        }
    }
    return true;
}
