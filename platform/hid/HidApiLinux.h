#pragma once
// Real HID interfaces through hidapi's hidraw backend; container ids through libudev.

#include "IHidApi.h"

namespace platform {

class HidApiLinux final : public IHidApi {
public:
    HidApiLinux();
    ~HidApiLinux() override;
    HidApiLinux(const HidApiLinux&) = delete;
    HidApiLinux& operator=(const HidApiLinux&) = delete;

    std::vector<HidInterfaceInfo> Enumerate(uint16_t vendorId) override;
    std::unique_ptr<IHidDevice> Open(const std::string& path) override;
    // Reads the HID_ID of each node's uevent in sysfs: no udev, no report descriptors.
    bool AnyPresent(uint16_t vendorId, const std::vector<uint16_t>& productIds) override;
    // The same for a folder laid out like /sys/class/hidraw.
    static bool AnyPresentIn(const std::string& classFolder, uint16_t vendorId, const std::vector<uint16_t>& productIds);
    // The sysfs path of the USB device (subsystem usb, devtype usb_device) above the hidraw node.
    std::string ContainerId(const std::string& path) override;

private:
    // Called with the process-wide hidapi lock held.
    bool EnsureInitialised();

    bool m_initialised = false;
};

} // namespace platform
