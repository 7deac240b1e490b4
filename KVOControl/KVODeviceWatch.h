#pragma once
// The link's once-a-second watch: re-opens the receiver when one is present but none is open, and
// stops the running function when the monitor layout changes (reports are then dropped for one
// period, while the screens settle).

#include "IScreens.h"

#include <functional>

constexpr int KVO_FIND_DEVICE_PERIOD_MS = 1000;

// What the watch needs of the program; every member may be empty.
struct KVODeviceWatchHooks {
    // Monitor count as the configuration store holds it.
    std::function<int()> getMonitorCount;
    std::function<void(int)> setMonitorCount;
    // Keeps the Fun-key keyboard hook off (a mouse was connected).
    std::function<void(int)> setHookSuppression;
};

class KVODeviceWatch {
public:
    // `screens` must be callable from the watch's thread; null means no monitor is known.
    KVODeviceWatch(const platform::IScreens* screens, KVODeviceWatchHooks hooks);

    // Records the desktop size (and, without a store, the monitor count) at thread start.
    void Begin();
    // One period's work, without the sleep.
    void Step();

private:
    struct Layout {
        int count = 0;
        int width = 0;
        int height = 0;
    };
    Layout Measure() const;
    void FindReceiver();
    int PresentReceivers();
    int StoredMonitorCount() const;
    void StoreMonitorCount(int count);

    const platform::IScreens* m_screens;
    KVODeviceWatchHooks m_hooks;
    int m_width = 0;
    int m_height = 0;
    int m_ownMonitorCount = 0;  // used when no configuration store is wired
    bool m_bFindFailing = false;  // the failed search was logged; retries stay quiet
    bool m_bUncountedLogged = false;  // a receiver the tracker missed was logged once
};

// Thread body: Begin, then Step every period while the link running flag is set. The sleep ends
// early when WakeFindDevice is called.
void ThreadFindDevice(KVODeviceWatch* watch);
void WakeFindDevice();
