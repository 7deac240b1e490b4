#include "KVOCursorSpeedKeeper.h"

#include <chrono>
#include <cmath>
#include <cstdio>

namespace {

std::mutex g_instanceLock;
std::unique_ptr<KVOCursorSpeedKeeper> g_instance;
const platform::IScreens* g_screens = nullptr;

class NoScreens final : public platform::IScreens {
public:
    std::vector<platform::ScreenRect> Monitors() const override { return {}; }
};
const NoScreens g_noScreens;

platform::ScreenRect PrimaryScreen(const platform::IScreens& screens)
{
    const std::vector<platform::ScreenRect> monitors = screens.Monitors();
    return monitors.empty() ? platform::ScreenRect{} : monitors.front();
}

} // namespace

float SpeedScaleForHeight(int height)
{
    if (height <= 0)
        return 1.0f;
    if (height >= 2160)
        return 3.0f;
    if (height > 720) {
        const float q = static_cast<float>(height) / 720.0f;
        if (q > 1.0f)
            return std::floor(q * 10.0f) / 10.0f;
    }
    return 1.0f;
}

KVOCursorSpeedKeeper::KVOCursorSpeedKeeper(const platform::IScreens& screens, bool watch) : m_screens(&screens)
{
    const platform::ScreenRect primary = PrimaryScreen(screens);
    m_width = primary.width;
    m_height = primary.height;
    m_scale = SpeedScaleForHeight(m_height);
    if (watch)
        StartWatcher();
}

KVOCursorSpeedKeeper::~KVOCursorSpeedKeeper() { StopWatcher(); }

void KVOCursorSpeedKeeper::StartWatcher()
{
    std::lock_guard guard(m_stopLock);
    if (m_watcher.joinable())
        return;
    m_running = true;
    m_watcher = std::thread(&KVOCursorSpeedKeeper::Watch, this);
}

void KVOCursorSpeedKeeper::StopWatcher()
{
    std::thread watcher;
    {
        std::lock_guard guard(m_stopLock);
        m_running = false;
        watcher = std::move(m_watcher);
    }
    m_stopSignal.notify_all();
    if (watcher.joinable())
        watcher.join();
}

KVOCursorSpeedKeeper& KVOCursorSpeedKeeper::GetInstance()
{
    std::lock_guard guard(g_instanceLock);
    if (!g_instance) {
        g_instance = std::make_unique<KVOCursorSpeedKeeper>(g_screens != nullptr ? *g_screens : g_noScreens, false);
    }
    return *g_instance;
}

void KVOCursorSpeedKeeper::DestroyInstance()
{
    std::unique_ptr<KVOCursorSpeedKeeper> gone;
    {
        std::lock_guard guard(g_instanceLock);
        gone = std::move(g_instance);
    }
}

void KVOCursorSpeedKeeper::SetScreens(const platform::IScreens* screens)
{
    std::lock_guard guard(g_instanceLock);
    g_screens = screens;
    if (g_instance)
        g_instance->m_screens = screens != nullptr ? screens : &g_noScreens;
}

float KVOCursorSpeedKeeper::GetSpeedScale() const
{
    std::shared_lock guard(m_lock);
    return m_scale;
}

int KVOCursorSpeedKeeper::GetBaseValue() const
{
    std::shared_lock guard(m_lock);
    return m_baseValue;
}

bool KVOCursorSpeedKeeper::CheckScreenSize()
{
    const platform::ScreenRect primary = PrimaryScreen(*m_screens.load());
    std::unique_lock guard(m_lock);
    if (primary.width == m_width && primary.height == m_height)
        return false;
    m_width = primary.width;
    m_height = primary.height;
    const float scale = SpeedScaleForHeight(m_height);
    if (scale == m_scale)
        return false;
    m_scale = scale;
    guard.unlock();
    std::printf("[Cursor] screenSize changed, speed scale: %g\n", static_cast<double>(scale));
    std::fflush(stdout);
    return true;
}

void KVOCursorSpeedKeeper::Watch()
{
    std::unique_lock guard(m_stopLock);
    while (m_running) {
        // Real time on purpose: a test clock must not turn this into a busy loop.
        m_stopSignal.wait_for(guard, std::chrono::milliseconds(KVO_SCREEN_WATCH_MS), [this] { return !m_running; });
        if (!m_running)
            break;
        guard.unlock();
        CheckScreenSize();
        guard.lock();
    }
}
