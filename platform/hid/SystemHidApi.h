#pragma once
// The system's HID layer: real receivers through hidraw, plus the virtual receiver when one is
// configured, listed and opened as if it were one more interface.

#include "HidApiLinux.h"
#include "VirtualReceiver.h"

namespace platform {

class SystemHidApi final : public IHidApi {
public:
    explicit SystemHidApi(std::unique_ptr<VirtualReceiver> virtualReceiver);

    std::vector<HidInterfaceInfo> Enumerate(uint16_t vendorId) override;
    // The monitor's view: also clears UnnotifiedChangeFd.
    std::vector<HidInterfaceInfo> EnumerateUnnotified(uint16_t vendorId) override;
    int UnnotifiedChangeFd() override;
    std::unique_ptr<IHidDevice> Open(const std::string& path, int* error = nullptr) override;
    bool AnyPresent(uint16_t vendorId, const std::vector<uint16_t>& productIds) override;
    std::string ContainerId(const std::string& path) override;

private:
    bool IsVirtual(const std::string& path) const { return m_virtual && path == m_virtual->Path(); }
    bool ListsVirtual(uint16_t vendorId) const
    {
        return m_virtual && (vendorId == 0 || vendorId == kVirtualReceiverVendorId);
    }

    HidApiLinux m_hidraw;
    std::unique_ptr<VirtualReceiver> m_virtual;
};

} // namespace platform
