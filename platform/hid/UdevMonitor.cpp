#include "UdevMonitor.h"

#include <fcntl.h>
#include <libudev.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>

namespace platform {

UdevMonitor::UdevMonitor(IHidApi& api, uint16_t vendorId, bool useNetlink)
    : m_api(api), m_vendorId(vendorId), m_useNetlink(useNetlink)
{
}

UdevMonitor::~UdevMonitor() { Stop(); }

bool UdevMonitor::OpenNetlink()
{
    m_udev = udev_new();
    if (!m_udev)
        return false;
    // Without a udev daemon nothing is rebroadcast on the "udev" group; the kernel's own
    // uevents still arrive (where the process may listen to them).
    std::error_code ec;
    const bool daemon = std::filesystem::exists("/run/udev/control", ec);
    const char* sources[] = {daemon ? "udev" : "kernel", daemon ? "kernel" : nullptr};
    for (const char* source : sources) {
        if (!source)
            continue;
        udev_monitor* mon = udev_monitor_new_from_netlink(m_udev, source);
        if (!mon)
            continue;
        if (udev_monitor_filter_add_match_subsystem_devtype(mon, "hidraw", nullptr) == 0
            && udev_monitor_enable_receiving(mon) == 0) {
            m_monitor = mon;
            m_source = source;
            return true;
        }
        udev_monitor_unref(mon);
    }
    udev_unref(m_udev);
    m_udev = nullptr;
    return false;
}

bool UdevMonitor::Start(HidEventCallback callback)
{
    if (m_running)
        return m_monitor != nullptr;
    m_callback = std::move(callback);
    const bool netlink = m_useNetlink && OpenNetlink();
    if (::pipe2(m_wakePipe, O_CLOEXEC) != 0)
        m_wakePipe[0] = m_wakePipe[1] = -1;
    m_polled = PolledPaths();
    m_running = true;
    m_thread = std::thread([this] { Run(); });
    return netlink;
}

void UdevMonitor::Stop()
{
    if (!m_thread.joinable())
        return;
    m_running = false;
    if (m_wakePipe[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = ::write(m_wakePipe[1], &byte, 1);
    }
    m_thread.join();
    for (int& fd : m_wakePipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    if (m_monitor)
        udev_monitor_unref(m_monitor);
    if (m_udev)
        udev_unref(m_udev);
    m_monitor = nullptr;
    m_udev = nullptr;
    m_source = "";
}

void UdevMonitor::Run()
{
    // With netlink the thread sleeps until something happens: a uevent, a change of what only
    // the API can see, or the stop. Without it, the interface list is compared every kPollMs.
    const int changeFd = m_monitor ? m_api.UnnotifiedChangeFd() : -1;
    auto nextPoll = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPollMs);
    while (m_running) {
        pollfd fds[3];
        nfds_t count = 0;
        if (m_wakePipe[0] >= 0)
            fds[count++] = pollfd{m_wakePipe[0], POLLIN, 0};
        const nfds_t changeAt = count;
        if (changeFd >= 0)
            fds[count++] = pollfd{changeFd, POLLIN, 0};
        if (m_monitor)
            fds[count++] = pollfd{udev_monitor_get_fd(m_monitor), POLLIN, 0};
        int timeout = -1;
        if (!m_monitor) {
            // Rounded up: a wait cut short by truncation would spin until the poll is due.
            const auto wait = std::chrono::ceil<std::chrono::milliseconds>(nextPoll - std::chrono::steady_clock::now());
            timeout = static_cast<int>(std::max<int64_t>(0, wait.count()));
        }
        ::poll(fds, count, timeout);
        if (!m_running)
            break;
        if (m_monitor) {
            DrainNetlink();
            if (changeFd >= 0 && (fds[changeAt].revents & POLLIN))
                PollList();
        } else if (std::chrono::steady_clock::now() >= nextPoll) {
            PollList();
            nextPoll = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPollMs);
        }
    }
}

void UdevMonitor::DrainNetlink()
{
    // The monitor socket is non-blocking: receive until it is empty.
    while (udev_device* dev = udev_monitor_receive_device(m_monitor)) {
        const char* action = udev_device_get_action(dev);
        const char* node = udev_device_get_devnode(dev);
        if (action && node) {
            if (std::strcmp(action, "add") == 0)
                m_callback(HidEvent::Arrival, node);
            else if (std::strcmp(action, "remove") == 0)
                m_callback(HidEvent::Removal, node);
        }
        udev_device_unref(dev);
    }
}

std::set<std::string> UdevMonitor::PolledPaths()
{
    // Netlink reports the real nodes; only what it cannot see is polled.
    std::set<std::string> paths;
    for (const HidInterfaceInfo& info : m_monitor ? m_api.EnumerateUnnotified(m_vendorId) : m_api.Enumerate(m_vendorId))
        paths.insert(info.path);
    return paths;
}

void UdevMonitor::PollList()
{
    std::set<std::string> now = PolledPaths();
    for (const std::string& path : now) {
        if (!m_polled.count(path))
            m_callback(HidEvent::Arrival, path);
    }
    for (const std::string& path : m_polled) {
        if (!now.count(path))
            m_callback(HidEvent::Removal, path);
    }
    m_polled = std::move(now);
}

} // namespace platform
