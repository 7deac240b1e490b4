// The hidraw backend on this host, without a receiver.

#include "HidApiLinux.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;
using platform::HidInterfaceInfo;

namespace {

HidInterfaceInfo Listed(const std::string& path, uint16_t usagePage, uint16_t usage)
{
    HidInterfaceInfo info;
    info.vendorId = 0x25A7;
    info.productId = 0x0178;
    info.usagePage = usagePage;
    info.usage = usage;
    info.path = path;
    info.product = "Receiver";
    return info;
}

} // namespace

TEST(HidApiLinux, EntriesComeFromTheDescriptorOfEachNode)
{
    TempDir dir;
    const fs::path root = dir.path() / "hidraw";
    // A mouse collection, then the vendor collection with no Usage before it: hidapi lists
    // the mouse alone.
    const std::string descriptor = {
        0x05, 0x01, 0x09, 0x02, char(0xA1), 0x01, char(0x85), 0x02, 0x75, 0x08, char(0x95), 0x03, char(0x81), 0x06,
        char(0xC0), 0x06, 0x01, char(0xFF), char(0xA1), 0x01, char(0x85), 0x0A, 0x75, 0x08, char(0x95), 0x10,
        char(0x81), 0x02, char(0x91), 0x02, char(0xC0),
    };
    fs::create_directories(root / "hidraw0" / "device");
    WriteWholeFile((root / "hidraw0" / "device" / "report_descriptor").string(), descriptor);
    fs::create_directories(root / "hidraw1" / "device");  // no descriptor: hidapi's entries stay

    const auto out = platform::HidApiLinux::WithDescriptorUsages(
        {Listed("/dev/hidraw0", 0x0001, 0x0002), Listed("/dev/hidraw1", 0x0001, 0x0006),
         Listed("/dev/hidraw1", 0xFF01, 0x0001), Listed("/dev/hidraw0", 0x0001, 0x0002)},
        root.string());
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[0].path, "/dev/hidraw0");
    EXPECT_EQ(out[0].usagePage, 0x0001);
    EXPECT_EQ(out[0].reportIds, std::vector<uint8_t>{0x02});
    EXPECT_EQ(out[1].path, "/dev/hidraw0");
    EXPECT_EQ(out[1].usagePage, 0xFF01);
    EXPECT_EQ(out[1].usage, 0x0000);
    EXPECT_EQ(out[1].reportIds, std::vector<uint8_t>{0x0A});
    EXPECT_EQ(out[1].productId, 0x0178);
    EXPECT_EQ(out[1].product, "Receiver");
    EXPECT_EQ(out[2].path, "/dev/hidraw1");
    EXPECT_EQ(out[2].usage, 0x0006);
    EXPECT_EQ(out[3].usagePage, 0xFF01);
    EXPECT_TRUE(out[3].reportIds.empty());
}

// At start the UI thread and the device watch open the receiver while the udev monitor lists
// interfaces. hidapi frees and replaces one process-wide error string in each of these calls;
// unserialised, two of them free it twice (a crash under AddressSanitizer).
TEST(HidApiLinux, ListingAndFailedOpensFromTwoThreadsAtOnce)
{
    platform::HidApiLinux api;
    constexpr int kRounds = 10000;
    std::atomic<int> opened{0};
    // A folder opens for reading, so the open gets as far as hidapi, whose own open for
    // writing fails and sets the error string.
    std::thread opener([&] {
        for (int i = 0; i < kRounds; ++i) {
            if (api.Open("/"))
                ++opened;
        }
    });
    for (int i = 0; i < kRounds; ++i)
        api.Enumerate(0);
    opener.join();
    EXPECT_EQ(opened.load(), 0);
}

TEST(HidApiLinux, FailedOpenSaysWhy)
{
    platform::HidApiLinux api;
    int error = 0;
    EXPECT_EQ(api.Open("/dev/hidraw-missing", &error), nullptr);
    EXPECT_EQ(error, ENOENT);
    // Fails in hidapi's own open for writing.
    error = 0;
    EXPECT_EQ(api.Open("/", &error), nullptr);
    EXPECT_EQ(error, EISDIR);
}
