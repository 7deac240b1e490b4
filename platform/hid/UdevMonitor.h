#pragma once
// Arrival and removal of HID interfaces. Real hidraw nodes are reported from a libudev netlink
// monitor, and the interfaces no notification covers (the virtual receiver) are listed again
// whenever the API's change descriptor fires, so the thread only wakes when something happens.
// When netlink is unavailable every interface is found by comparing the list every kPollMs.

#include "IHidApi.h"

#include <atomic>
#include <set>
#include <string>
#include <thread>

struct udev;
struct udev_monitor;

namespace platform {

class UdevMonitor final : public IHidMonitor {
public:
    static constexpr int kPollMs = 250;

    // With `useNetlink` false the monitor polls every interface, as it does where netlink fails.
    UdevMonitor(IHidApi& api, uint16_t vendorId, bool useNetlink = true);
    ~UdevMonitor() override;
    UdevMonitor(const UdevMonitor&) = delete;
    UdevMonitor& operator=(const UdevMonitor&) = delete;

    bool Start(HidEventCallback callback) override;
    void Stop() override;

    // "udev" or "kernel" while netlink events arrive, "" when the monitor only polls.
    const char* Source() const { return m_source; }

private:
    bool OpenNetlink();
    void Run();
    void DrainNetlink();
    void PollList();
    std::set<std::string> PolledPaths();

    IHidApi& m_api;
    const uint16_t m_vendorId;
    const bool m_useNetlink;
    HidEventCallback m_callback;
    udev* m_udev = nullptr;
    udev_monitor* m_monitor = nullptr;
    const char* m_source = "";
    int m_wakePipe[2] = {-1, -1};
    std::set<std::string> m_polled;
    std::atomic<bool> m_running{false};
    std::thread m_thread;
};

} // namespace platform
