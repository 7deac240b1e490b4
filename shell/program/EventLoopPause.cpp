#include "EventLoopPause.h"

#include "Clock.h"
#include "UiThread.h"

#include <QEventLoop>
#include <QTimer>

#include <chrono>

namespace {
bool s_bInPause = false;  // UI thread only
} // namespace

void EventLoopPause(int ms)
{
    if (ms <= 0)
        return;
    if (!IsUiThread() || s_bInPause) {
        platform::Sleep(static_cast<uint32_t>(ms));
        return;
    }
    s_bInPause = true;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
    // The loop also ends when the application is told to quit, which ends every loop of the
    // thread: the rest of the time is slept, because what follows the pause relies on it.
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() > 0)
        platform::Sleep(static_cast<uint32_t>(left.count()));
    s_bInPause = false;
}
