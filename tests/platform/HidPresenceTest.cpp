// The presence answer from sysfs: HID_ID of each hidraw node's uevent, in a folder laid out like
// /sys/class/hidraw.

#include "HidApiLinux.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

void AddNode(const fs::path& root, const std::string& node, const std::string& uevent)
{
    fs::create_directories(root / node / "device");
    WriteWholeFile((root / node / "device" / "uevent").string(), uevent);
}

} // namespace

TEST(HidPresence, MatchesVendorAndListedProductOfAnyNode)
{
    TempDir dir;
    const fs::path root = dir.path() / "hidraw";
    const std::vector<uint16_t> products{0x0178, 0x0186};
    EXPECT_FALSE(platform::HidApiLinux::AnyPresentIn((dir.path() / "missing").string(), 0x25A7, products));

    AddNode(root, "hidraw0", "DRIVER=hid-generic\nHID_ID=0003:0000046D:0000C52B\nHID_NAME=Mouse\n");
    AddNode(root, "hidraw1", "DRIVER=hid-generic\nHID_ID=0003:000025A7:00000180\n");  // product not listed
    AddNode(root, "hidraw2", "HID_NAME=no id\nXHID_ID=0003:000025A7:00000178\n");     // not the key
    fs::create_directories(root / "hidraw3");                                       // no uevent
    EXPECT_FALSE(platform::HidApiLinux::AnyPresentIn(root.string(), 0x25A7, products));

    AddNode(root, "hidraw4", "HID_ID=0005:000025A7:00000186\nHID_NAME=Receiver\n");  // first line, Bluetooth bus
    EXPECT_TRUE(platform::HidApiLinux::AnyPresentIn(root.string(), 0x25A7, products));
    EXPECT_FALSE(platform::HidApiLinux::AnyPresentIn(root.string(), 0x25A8, products));
}
