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

    // hidapi's list, with each node's entries replaced by what its report descriptor declares.
    std::vector<HidInterfaceInfo> Enumerate(uint16_t vendorId) override;
    // Replaces the entries of each node in `listed` by one entry per top-level collection of
    // the report descriptor found in a folder laid out like /sys/class/hidraw. Nodes without a
    // readable descriptor keep their entries.
    static std::vector<HidInterfaceInfo> WithDescriptorUsages(std::vector<HidInterfaceInfo> listed,
                                                              const std::string& classFolder);
    std::unique_ptr<IHidDevice> Open(const std::string& path, int* error = nullptr) override;
    // Reads the HID_ID of each node's uevent in sysfs: no udev, no report descriptors.
    bool AnyPresent(uint16_t vendorId, const std::vector<uint16_t>& productIds) override;
    // The same for a folder laid out like /sys/class/hidraw.
    static bool AnyPresentIn(const std::string& classFolder, uint16_t vendorId, const std::vector<uint16_t>& productIds);
    // The sysfs path of the USB device (subsystem usb, devtype usb_device) above the hidraw node.
    std::string ContainerId(const std::string& path) override;

private:
    // hidapi's own list: one entry per collection that has a Usage item before it.
    std::vector<HidInterfaceInfo> EnumerateHidapi(uint16_t vendorId);
    // Called with the process-wide hidapi lock held.
    bool EnsureInitialised();

    bool m_initialised = false;
};

} // namespace platform
