// The hidraw backend on this host, without a receiver.

#include "HidApiLinux.h"
#include "HidrawWriter.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

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

// The udev monitor and the device watch list interfaces from their own threads, each through
// its own HidApiLinux. hidapi frees and replaces one process-wide error string in every listing;
// unserialised, two of them free it twice (a crash under AddressSanitizer).
TEST(HidApiLinux, ListingsFromTwoThreadsAtOnce)
{
    constexpr int kRounds = 10000;
    std::thread other([&] {
        platform::HidApiLinux api;
        for (int i = 0; i < kRounds; ++i)
            api.Enumerate(0);
    });
    platform::HidApiLinux api;
    for (int i = 0; i < kRounds; ++i)
        api.Enumerate(0);
    other.join();
}

TEST(HidApiLinux, FailedOpenSaysWhy)
{
    platform::HidApiLinux api;
    int error = 0;
    EXPECT_EQ(api.Open("/dev/hidraw-missing", &error), nullptr);
    EXPECT_EQ(error, ENOENT);
    error = 0;
    EXPECT_EQ(api.Open("/", &error), nullptr);
    EXPECT_EQ(error, EISDIR);
}

namespace {

// A pipe whose reader takes nothing: once its small buffer is full, a write blocks the way a
// hidraw write does while the receiver does not take the report.
struct FullPipe {
    int fds[2] = {-1, -1};
    FullPipe()
    {
        EXPECT_EQ(::pipe(fds), 0);
        ::fcntl(fds[1], F_SETPIPE_SZ, 4096);
        ::fcntl(fds[1], F_SETFL, O_NONBLOCK);
        const std::vector<char> fill(65536, 'x');
        while (::write(fds[1], fill.data(), fill.size()) > 0) {
        }
        ::fcntl(fds[1], F_SETFL, 0);
    }
    ~FullPipe()
    {
        ::close(fds[0]);
        ::close(fds[1]);
    }
    void Drain()
    {
        std::vector<char> buf(65536);
        ::fcntl(fds[0], F_SETFL, O_NONBLOCK);
        while (::read(fds[0], buf.data(), buf.size()) > 0) {
        }
    }
};

} // namespace

TEST(HidrawWriter, AWriteStuckInTheKernelHoldsTheCallerOnlyForItsLimit)
{
    FullPipe pipe;
    const uint8_t report[17] = {0x0A, 0xB2, 0x01, 0x50};
    int error = 0;
    {
        platform::HidrawWriter writer(pipe.fds[1]);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(writer.Write(report, sizeof report, 100, error), -1);
        EXPECT_EQ(error, ETIMEDOUT);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
        // The first write is still in the kernel: the next is refused without a wait.
        EXPECT_EQ(writer.Write(report, sizeof report, 60000, error), -1);
        EXPECT_EQ(error, EBUSY);

        pipe.Drain();
        // Once the kernel lets the stuck write go, writes go through again.
        int n = -1;
        for (int i = 0; i < 100 && n < 0; ++i) {
            n = writer.Write(report, sizeof report, 100, error);
            if (n < 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_EQ(n, static_cast<int>(sizeof report));
    }
    // Closing while a write is stuck does not wait for it. The stuck write ends with the pipe
    // (a broken pipe, which a hidraw node never raises; ignored here).
    std::signal(SIGPIPE, SIG_IGN);
    FullPipe again;
    auto stuck = std::make_unique<platform::HidrawWriter>(again.fds[1]);
    EXPECT_EQ(stuck->Write(report, sizeof report, 50, error), -1);
    const auto start = std::chrono::steady_clock::now();
    stuck.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}
