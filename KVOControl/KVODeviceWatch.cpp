#include "KVODeviceWatch.h"

#include "ControllerSet.h"
#include "KVOHidThreadManager.h"
#include "KVOLog.h"
#include "KVOPhysicalDeviceTracker.h"
#include "KVOReportDecoder.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <mutex>
#include <utility>

namespace {

std::mutex g_sleepLock;
std::condition_variable g_sleepWake;
uint64_t g_wakes = 0;

// Real time on purpose: a test clock that advances when slept on would make this spin.
void SleepOnePeriod()
{
    std::unique_lock guard(g_sleepLock);
    const uint64_t wakes = g_wakes;
    g_sleepWake.wait_for(guard, std::chrono::milliseconds(KVO_FIND_DEVICE_PERIOD_MS),
                         [wakes] { return g_wakes != wakes || !g_bLinkRunning.load(); });
}

} // namespace

KVODeviceWatch::KVODeviceWatch(const platform::IScreens* screens, KVODeviceWatchHooks hooks)
    : m_screens(screens), m_hooks(std::move(hooks))
{
}

KVODeviceWatch::Layout KVODeviceWatch::Measure() const
{
    Layout layout;
    if (m_screens == nullptr)
        return layout;
    const std::vector<platform::ScreenRect> monitors = m_screens->Monitors();
    layout.count = static_cast<int>(monitors.size());
    if (monitors.empty())
        return layout;
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    for (const platform::ScreenRect& m : monitors) {
        left = std::min(left, m.x);
        top = std::min(top, m.y);
        right = std::max(right, m.x + m.width);
        bottom = std::max(bottom, m.y + m.height);
    }
    layout.width = right - left;
    layout.height = bottom - top;
    return layout;
}

int KVODeviceWatch::StoredMonitorCount() const
{
    return m_hooks.getMonitorCount ? m_hooks.getMonitorCount() : m_ownMonitorCount;
}

void KVODeviceWatch::StoreMonitorCount(int count)
{
    m_ownMonitorCount = count;
    if (m_hooks.setMonitorCount)
        m_hooks.setMonitorCount(count);
}

void KVODeviceWatch::Begin()
{
    const Layout layout = Measure();
    m_width = layout.width;
    m_height = layout.height;
    m_ownMonitorCount = layout.count;
}

int KVODeviceWatch::PresentReceivers()
{
    // The tracker follows arrivals and removals, so the watch need not list every HID device
    // of the system each period; without one, the list is the only source.
    KVOPhysicalDeviceTracker* tracker = GetKVOPhysicalDeviceTracker();
    if (tracker == nullptr)
        return KVOCountHidReceivers();
    const int counted = tracker->PhysicalDeviceCount();
    if (counted > 0) {
        m_bUncountedLogged = false;
        return counted;
    }
    // One lost netlink event would leave the count at 0 with a receiver plugged in, and the
    // count moves only on events; the cheap presence listing catches that at the watch's pace.
    if (!KVOAnyReceiverPresent()) {
        m_bUncountedLogged = false;
        return 0;
    }
    if (!std::exchange(m_bUncountedLogged, true))
        WriteLog(KVO_LOG_INFO, "ThreadFindDevice() receiver present without an arrival event, opening it");
    return 1;
}

void KVODeviceWatch::FindReceiver()
{
    // The open receiver is the common case: it costs no search at all.
    if (g_commandhid.IsOpen() || PresentReceivers() <= 0)
        return;
    if (InitHidManager() != 0) {
        if (!std::exchange(m_bFindFailing, true))
            WriteLog(KVO_LOG_INFO, "ThreadFindDevice() FindNEWZumoDevice InitHidManager Failed");
        return;
    }
    m_bFindFailing = false;
    // The tracker missed this receiver's arrival: tell it now, so that it is counted (frames
    // are sent only to a counted receiver) and its removal is heard.
    KVOPhysicalDeviceTracker* tracker = GetKVOPhysicalDeviceTracker();
    const std::shared_ptr<KVOHidDevice> opened = g_commandhid.Get();
    if (tracker != nullptr && opened && tracker->PhysicalDeviceCount() <= 0)
        tracker->OnArrival(opened->path);
    DeviceMgr* deviceMgr = ExistingDeviceMgr();
    if (deviceMgr != nullptr && m_hooks.setHookSuppression) {
        const int devType = deviceMgr->GetDevType();
        if (devType == KVO_WIRLESS_MOUSE || devType == KVO_WIRED_MOUSE)
            m_hooks.setHookSuppression(-1);
    }
    WriteLog(KVO_LOG_INFO, "ThreadFindDevice() FindNEWZumoDevice InitHidManager Successful");
}

void KVODeviceWatch::Step()
{
    FindReceiver();
    g_bIsReboot = false;
    const Layout layout = Measure();
    if (layout.count == StoredMonitorCount() && layout.width == m_width && layout.height == m_height)
        return;
    if (ControllerSet* set = ControllerSet::Existing()) {
        WriteLog(KVO_LOG_INFO, "ThreadFindDevice ProtocolCmdDef::CMD_STOP_FUNCTION");
        set->GetFunctionMgr().StopFunction(1);
    }
    StoreMonitorCount(layout.count);
    g_bIsReboot = true;
    m_width = layout.width;
    m_height = layout.height;
    WriteLog(KVO_LOG_INFO, "ThreadFindDevice Reboot");
}

void ThreadFindDevice(KVODeviceWatch* watch)
{
    watch->Begin();
    while (g_bLinkRunning.load()) {
        watch->Step();
        SleepOnePeriod();
    }
}

void WakeFindDevice()
{
    {
        std::lock_guard guard(g_sleepLock);
        ++g_wakes;
    }
    g_sleepWake.notify_all();
}
