#include "KVOPhysicalDeviceTracker.h"

#include "KVOHidThreadManager.h"
#include "KVOLog.h"

#include <atomic>
#include <vector>

namespace {

std::atomic<KVOPhysicalDeviceTracker*> g_tracker{nullptr};

// The tooltip window comes after the link has started, while the receivers present at start are
// counted inside the start: a warning given before the window exists waits here for it. The lock
// also keeps a tooltip from being unset while a warning is being shown on it.
std::mutex g_tooltipLock;
IKVOMultiDeviceTooltip* g_tooltip = nullptr;
bool g_bNoticePending = false;
bool g_bAccessNoticePending = false;
std::atomic<bool> g_bAccessNoticeGiven{false};

void ShowNotice(IKVOMultiDeviceTooltip& tooltip)
{
    tooltip.ShowTooltip("tooltip", "multiDevice_tooltip", KVO_MULTI_DEVICE_TOOLTIP_MS);
}

// One entry per path: the enumeration repeats a path for every usage pair it declares.
std::vector<platform::HidInterfaceInfo> UniqueByPath(std::vector<platform::HidInterfaceInfo> list)
{
    std::vector<platform::HidInterfaceInfo> out;
    for (auto& info : list) {
        bool seen = false;
        for (const auto& kept : out)
            seen = seen || kept.path == info.path;
        if (!seen)
            out.push_back(std::move(info));
    }
    return out;
}

} // namespace

void SetKVOPhysicalDeviceTracker(KVOPhysicalDeviceTracker* tracker) { g_tracker.store(tracker); }
KVOPhysicalDeviceTracker* GetKVOPhysicalDeviceTracker() { return g_tracker.load(); }
void SetKVOMultiDeviceTooltip(IKVOMultiDeviceTooltip* tooltip)
{
    std::lock_guard lock(g_tooltipLock);
    g_tooltip = tooltip;
    if (tooltip != nullptr && g_bAccessNoticePending) {
        g_bAccessNoticePending = false;
        tooltip->ShowTooltip("tooltip", "noAccess_tooltip", KVO_ACCESS_TOOLTIP_MS);
    }
    if (tooltip != nullptr && g_bNoticePending) {
        g_bNoticePending = false;
        ShowNotice(*tooltip);
    }
}

void ShowKVOAccessNotice()
{
    if (g_bAccessNoticeGiven.exchange(true))
        return;
    std::lock_guard lock(g_tooltipLock);
    if (g_tooltip != nullptr)
        g_tooltip->ShowTooltip("tooltip", "noAccess_tooltip", KVO_ACCESS_TOOLTIP_MS);
    else
        g_bAccessNoticePending = true;
}

bool ShowKVOTooltip(const char* section, const char* key, int durationMs)
{
    std::lock_guard lock(g_tooltipLock);
    if (g_tooltip == nullptr)
        return false;
    g_tooltip->ShowTooltip(section, key, durationMs);
    return true;
}

KVOPhysicalDeviceTracker::KVOPhysicalDeviceTracker(platform::IHidApi& api,
                                                   std::unique_ptr<platform::IHidMonitor> monitor,
                                                   IKVOBLELink* bleLink)
    : m_api(api), m_monitor(std::move(monitor)), m_bleLink(bleLink)
{
    // Each run of the link may tell once that a receiver cannot be opened.
    g_bAccessNoticeGiven = false;
}

KVOPhysicalDeviceTracker::~KVOPhysicalDeviceTracker()
{
    StopMonitor();
    // A warning about receivers nobody tracks any more is stale.
    std::lock_guard lock(g_tooltipLock);
    g_bNoticePending = false;
}

void KVOPhysicalDeviceTracker::Start()
{
    // Listen first, so that nothing plugged in during the enumeration goes unseen; an interface
    // reported by both is recorded once.
    if (!m_monitor) {
        WriteLog(KVO_LOG_ERROR, "KVOPhysicalDeviceTracker::Start, no device monitor: receiver count fixed at start");
    } else if (!m_monitor->Start([this](platform::HidEvent event, const std::string& path) {
                   if (event == platform::HidEvent::Arrival)
                       OnArrival(path);
                   else
                       OnRemoval(path);
               })) {
        WriteLog(KVO_LOG_ERROR, "KVOPhysicalDeviceTracker::Start, udev monitor unavailable: receivers found by polling");
    }

    const auto list = UniqueByPath(m_api.Enumerate(0));
    for (const platform::HidInterfaceInfo& info : list) {
        WriteLog(KVO_LOG_ERROR, "Found HID device: VID=0x%04X, PID=0x%04X", info.vendorId, info.productId);
        if (info.vendorId != KVO_VENDOR_ID) {
            WriteLog(KVO_LOG_ERROR, "Vendor ID mismatch: expected 0x%04X, got 0x%04X", KVO_VENDOR_ID, info.vendorId);
            continue;
        }
        if (!KVOIsListedProduct(info.productId)) {
            WriteLog(KVO_LOG_ERROR, "Product ID not in target list: 0x%04X", info.productId);
            continue;
        }
        WriteLog(KVO_LOG_ERROR, "Target device found: PID=0x%04X", info.productId);
        const std::string container = ContainerOf(info.path);
        const std::string friendly = info.manufacturer.empty() ? info.product : info.manufacturer + " " + info.product;
        WriteLog(KVO_LOG_ERROR, "Device found: %s, Desc: %s, Friendly: %s", container.c_str(), info.product.c_str(),
                 friendly.c_str());
        AddInterface(info.path, container);
    }
    const int count = PhysicalDeviceCount();
    WriteLog(KVO_LOG_ERROR, "Enumeration completed. Found %d unique physical devices", count);
    if (count > 1)
        ShowMultiDeviceTooltip();
}

void KVOPhysicalDeviceTracker::StopMonitor()
{
    if (m_monitor)
        m_monitor->Stop();
}

int KVOPhysicalDeviceTracker::PhysicalDeviceCount() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_containerCount.size());
}

void KVOPhysicalDeviceTracker::StopBLELink()
{
    std::lock_guard lock(m_mutex);
    if (m_bleLink && !m_bleStopped) {
        m_bleStopped = true;
        m_bleLink->Stop();
    }
}

std::string KVOPhysicalDeviceTracker::ContainerOf(const std::string& path)
{
    // An interface whose owner cannot be found counts as a device of its own.
    std::string container = m_api.ContainerId(path);
    return container.empty() ? path : container;
}

int KVOPhysicalDeviceTracker::AddInterface(const std::string& path, const std::string& container)
{
    std::lock_guard lock(m_mutex);
    // A path already recorded (seen by both the enumeration and the monitor) counts once.
    if (!m_paths.insert(path).second)
        return 0;
    m_pathToContainer[path] = container;
    return ++m_containerCount[container];
}

void KVOPhysicalDeviceTracker::OnArrival(const std::string& path)
{
    bool matches = false;
    for (const platform::HidInterfaceInfo& info : m_api.Enumerate(KVO_VENDOR_ID)) {
        if (info.path == path && info.vendorId == KVO_VENDOR_ID && KVOIsListedProduct(info.productId)) {
            matches = true;
            break;
        }
    }
    if (!matches)
        return;
    // A receiver plugged in again may be refused again: that is worth saying again.
    KVOForgetHidOpenFailures();
    const std::string container = ContainerOf(path);
    if (AddInterface(path, container) != 1)
        return;
    const int total = PhysicalDeviceCount();
    WriteLog(KVO_LOG_ERROR, "Physical device added via callback: %s, Total: %d", container.c_str(), total);
    if (total > 1)
        ShowMultiDeviceTooltip();
}

void KVOPhysicalDeviceTracker::OnRemoval(const std::string& path)
{
    // After removal the system may no longer know the owner; the path map still does.
    std::string container = m_api.ContainerId(path);
    std::lock_guard lock(m_mutex);
    const auto known = m_pathToContainer.find(path);
    if (container.empty() || (known != m_pathToContainer.end() && !m_containerCount.count(container)))
        container = known != m_pathToContainer.end() ? known->second : std::string();
    if (!m_paths.erase(path))
        return;  // never counted (another vendor, or already removed)
    m_pathToContainer.erase(path);
    const auto it = m_containerCount.find(container);
    if (it == m_containerCount.end())
        return;
    if (--it->second > 0)
        return;
    m_containerCount.erase(it);
    for (auto p = m_pathToContainer.begin(); p != m_pathToContainer.end();) {
        if (p->second == container) {
            m_paths.erase(p->first);
            p = m_pathToContainer.erase(p);
        } else {
            ++p;
        }
    }
    const int total = static_cast<int>(m_containerCount.size());
    WriteLog(KVO_LOG_ERROR, "Physical device removed via callback: %s, Total: %d", container.c_str(), total);
    if (total <= 1) {
        // Down to one receiver before the window came: there is nothing left to warn about.
        std::lock_guard tooltipLock(g_tooltipLock);
        g_bNoticePending = false;
    }
}

void KVOPhysicalDeviceTracker::ShowMultiDeviceTooltip()
{
    std::lock_guard lock(g_tooltipLock);
    if (g_tooltip != nullptr)
        ShowNotice(*g_tooltip);
    else
        g_bNoticePending = true;
}
