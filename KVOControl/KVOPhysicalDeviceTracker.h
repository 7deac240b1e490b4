#pragma once
// Counts the physical receivers present. A receiver may expose several HID interfaces; they
// share one container id (the USB device that owns them), so each receiver counts once.
// Arrivals and removals come from the HID monitor on its own thread.

#include "IHidApi.h"
#include "IKVOBLELink.h"
#include "IKVOMultiDeviceTooltip.h"

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

constexpr int KVO_MULTI_DEVICE_TOOLTIP_MS = 1000;
// Long enough to read what to do about a receiver that cannot be opened.
constexpr int KVO_ACCESS_TOOLTIP_MS = 10000;

class KVOPhysicalDeviceTracker {
public:
    // `monitor` may be null (no hot-plug updates); the tracker owns it.
    KVOPhysicalDeviceTracker(platform::IHidApi& api, std::unique_ptr<platform::IHidMonitor> monitor,
                             IKVOBLELink* bleLink);
    ~KVOPhysicalDeviceTracker();
    KVOPhysicalDeviceTracker(const KVOPhysicalDeviceTracker&) = delete;
    KVOPhysicalDeviceTracker& operator=(const KVOPhysicalDeviceTracker&) = delete;

    // Starts the monitor, lists the present receivers and warns when there is more than one.
    void Start();
    // Stops the monitor; no callback runs after it returns.
    void StopMonitor();

    int PhysicalDeviceCount() const;
    IKVOBLELink* BLELink() const { return m_bleLink; }
    // Stops the Bluetooth LE link (once) at exit.
    void StopBLELink();

    // The monitor's events; public so that any event source can feed them.
    void OnArrival(const std::string& path);
    void OnRemoval(const std::string& path);

private:
    std::string ContainerOf(const std::string& path);
    // Records a matching interface; returns its container's new count.
    int AddInterface(const std::string& path, const std::string& container);
    void ShowMultiDeviceTooltip();

    platform::IHidApi& m_api;
    std::unique_ptr<platform::IHidMonitor> m_monitor;
    IKVOBLELink* m_bleLink;
    bool m_bleStopped = false;

    mutable std::mutex m_mutex;
    std::set<std::string> m_paths;
    std::map<std::string, std::string> m_pathToContainer;
    std::map<std::string, int> m_containerCount;
};

// The tracker kvo_sendData consults; set by the controller, null before and after the link runs.
void SetKVOPhysicalDeviceTracker(KVOPhysicalDeviceTracker* tracker);
KVOPhysicalDeviceTracker* GetKVOPhysicalDeviceTracker();

// The tooltip window, once it exists; null until then. A warning given while there was none is
// shown on the first one set (unless the tracker went or the second receiver left meanwhile).
void SetKVOMultiDeviceTooltip(IKVOMultiDeviceTooltip* tooltip);
// Shows (section, key) on that window for `durationMs`, for other notices of the program. False
// when there is no window now; the notice is then dropped. Any thread.
bool ShowKVOTooltip(const char* section, const char* key, int durationMs);
// Tells the user, once per run of the link (per tracker), that a receiver is plugged in but the system does not let the
// program open it, and what to do ("noAccess_tooltip"). Waits for the window when there is none
// yet. Any thread.
void ShowKVOAccessNotice();
