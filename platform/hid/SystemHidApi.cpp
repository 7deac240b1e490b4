#include "SystemHidApi.h"

#include "UdevMonitor.h"

#include <algorithm>
#include <atomic>

namespace platform {

SystemHidApi::SystemHidApi(std::unique_ptr<VirtualReceiver> virtualReceiver) : m_virtual(std::move(virtualReceiver)) {}

std::vector<HidInterfaceInfo> SystemHidApi::Enumerate(uint16_t vendorId)
{
    std::vector<HidInterfaceInfo> list = m_hidraw.Enumerate(vendorId);
    // Leaves the change descriptor alone: it tells the monitor, not this caller, what changed.
    if (ListsVirtual(vendorId) && m_virtual->IsListening())
        list.push_back(m_virtual->Info());
    return list;
}

std::vector<HidInterfaceInfo> SystemHidApi::EnumerateUnnotified(uint16_t vendorId)
{
    std::vector<HidInterfaceInfo> list;
    if (ListsVirtual(vendorId) && m_virtual->TakeChangeAndCheck())
        list.push_back(m_virtual->Info());
    return list;
}

int SystemHidApi::UnnotifiedChangeFd() { return m_virtual ? m_virtual->ChangeFd() : -1; }

bool SystemHidApi::AnyPresent(uint16_t vendorId, const std::vector<uint16_t>& productIds)
{
    if (m_hidraw.AnyPresent(vendorId, productIds))
        return true;
    if (!ListsVirtual(vendorId))
        return false;
    const uint16_t product = m_virtual->Info().productId;
    return std::find(productIds.begin(), productIds.end(), product) != productIds.end() && m_virtual->IsListening();
}

std::unique_ptr<IHidDevice> SystemHidApi::Open(const std::string& path, int* error)
{
    if (IsVirtual(path))
        return m_virtual->Open(error);
    return m_hidraw.Open(path, error);
}

std::string SystemHidApi::ContainerId(const std::string& path)
{
    // The virtual receiver is a device of its own.
    if (IsVirtual(path))
        return path;
    return m_hidraw.ContainerId(path);
}

namespace {

IHidApi& SystemApi()
{
    static SystemHidApi api(VirtualReceiver::FromEnvironment());
    return api;
}

std::atomic<IHidApi*> g_override{nullptr};

} // namespace

IHidApi& HidApi()
{
    IHidApi* api = g_override.load(std::memory_order_acquire);
    return api ? *api : SystemApi();
}

void SetHidApi(IHidApi* api) { g_override.store(api, std::memory_order_release); }

std::unique_ptr<IHidMonitor> CreateHidMonitor(IHidApi& api, uint16_t vendorId)
{
    return std::make_unique<UdevMonitor>(api, vendorId);
}

} // namespace platform
