// The virtual receiver over a real Unix socket: listing, reports both ways, bad peers, hot-plug.

#include "FakeHid.h"
#include "SystemHidApi.h"
#include "TempDir.h"
#include "UdevMonitor.h"
#include "VirtualReceiverServer.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

using platform::FrameReadResult;
using platform::HidEvent;
using platform::HidInterfaceInfo;
using Bytes = std::vector<uint8_t>;

namespace {

class VirtualReceiverTest : public ::testing::Test {
protected:
    std::vector<HidInterfaceInfo> Listed()
    {
        std::vector<HidInterfaceInfo> out;
        for (auto& info : api.Enumerate(0x25A7)) {
            if (info.path.rfind("virtual:", 0) == 0)
                out.push_back(info);
        }
        return out;
    }
    // Opens the receiver and accepts the connection on the server side.
    std::unique_ptr<platform::IHidDevice> Connect()
    {
        std::unique_ptr<platform::IHidDevice> device = api.Open(path);
        EXPECT_TRUE(device);
        EXPECT_TRUE(server.Accept(2000));
        return device;
    }

    TempDir dir;
    std::string socketPath = dir.file("remote.sock");
    std::string path = "virtual:" + socketPath;
    platform::SystemHidApi api{std::make_unique<platform::VirtualReceiver>(socketPath, 0x0181)};
    platform::VirtualReceiverServer server;
};

bool WaitFor(const std::function<bool()>& done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// What a monitor reported, from its thread; read once it is stopped, or through Count.
class HidEvents {
public:
    platform::HidEventCallback Recorder()
    {
        return [this](HidEvent e, const std::string& p) {
            std::lock_guard lock(m_mutex);
            m_events.emplace_back(e, p);
        };
    }
    size_t Count()
    {
        std::lock_guard lock(m_mutex);
        return m_events.size();
    }
    std::pair<HidEvent, std::string> At(size_t i)
    {
        std::lock_guard lock(m_mutex);
        return m_events.at(i);
    }

private:
    std::mutex m_mutex;
    std::vector<std::pair<HidEvent, std::string>> m_events;
};

} // namespace

TEST_F(VirtualReceiverTest, ListedOnlyWhileTheServerListens)
{
    EXPECT_TRUE(Listed().empty());
    EXPECT_EQ(api.Open(path), nullptr);

    ASSERT_TRUE(server.Listen(socketPath)) << server.Error();
    const auto listed = Listed();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].vendorId, 0x25A7);
    EXPECT_EQ(listed[0].productId, 0x0181);
    EXPECT_EQ(listed[0].usagePage, 0xFF01);
    EXPECT_EQ(listed[0].usage, 0);
    EXPECT_EQ(listed[0].path, path);
    EXPECT_EQ(api.ContainerId(path), path);
    // Listing never connects: the server has nobody to accept.
    EXPECT_FALSE(server.Accept(50));
    // Another vendor's listing does not show it.
    for (const auto& info : api.Enumerate(0x046D))
        EXPECT_NE(info.path, path);

    // A connected client keeps the socket file's name in the kernel table, but without a
    // listener the receiver is gone.
    auto device = Connect();
    server.Close();
    EXPECT_TRUE(Listed().empty());

    // A socket file left behind by a dead server is not a receiver, and a new server replaces it.
    {
        const int stale = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", socketPath.c_str());
        ASSERT_EQ(::bind(stale, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        ::close(stale);
    }
    EXPECT_TRUE(Listed().empty());
    ASSERT_TRUE(server.Listen(socketPath)) << server.Error();
    EXPECT_EQ(Listed().size(), 1u);
}

TEST_F(VirtualReceiverTest, ProductComesFromTheEnvironment)
{
    ::setenv("ORVELLE_VIRTUAL_RECEIVER", socketPath.c_str(), 1);
    ::setenv("ORVELLE_VIRTUAL_PRODUCT", "0x0186", 1);
    EXPECT_EQ(platform::VirtualReceiver::FromEnvironment()->Info().productId, 0x0186);
    ::setenv("ORVELLE_VIRTUAL_PRODUCT", "0x10000", 1);
    EXPECT_EQ(platform::VirtualReceiver::FromEnvironment()->Info().productId, 0x0178);
    ::setenv("ORVELLE_VIRTUAL_PRODUCT", "12abc", 1);
    EXPECT_EQ(platform::VirtualReceiver::FromEnvironment()->Info().productId, 0x0178);
    ::unsetenv("ORVELLE_VIRTUAL_PRODUCT");
    EXPECT_EQ(platform::VirtualReceiver::FromEnvironment()->Path(), path);
    ::unsetenv("ORVELLE_VIRTUAL_RECEIVER");
    EXPECT_EQ(platform::VirtualReceiver::FromEnvironment(), nullptr);
}

TEST_F(VirtualReceiverTest, ReportsInAndPaddedReportsOut)
{
    ASSERT_TRUE(server.Listen(socketPath));
    auto device = Connect();
    EXPECT_EQ(device->InputReportLength(), 17u);
    EXPECT_EQ(device->OutputReportLength(), 17u);

    uint8_t buf[64] = {};
    EXPECT_EQ(device->ReadReport(buf, sizeof buf, 20), 0);  // nothing yet: a time-out, not a failure

    const Bytes online = {0x0A, 0x03, 0, 0, 0x02, 0, 0xFB, 0x07};
    ASSERT_TRUE(server.SendReport(online.data(), online.size()));
    ASSERT_EQ(device->ReadReport(buf, sizeof buf, 1000), 8);
    EXPECT_EQ(Bytes(buf, buf + 8), online);

    // Longer than the input report: cut to it, as hidraw cuts to the reader's buffer.
    Bytes longReport(40, 0x11);
    longReport[0] = 0x0A;
    ASSERT_TRUE(server.SendReport(longReport.data(), longReport.size()));
    EXPECT_EQ(device->ReadReport(buf, sizeof buf, 1000), 17);

    const Bytes timeout = {0x0A, 0xB2, 0x01, 0xD4, 0x60, 0xEA, 0xE8, 0x03};
    EXPECT_EQ(device->WriteReport(timeout.data(), timeout.size()), 17);
    uint8_t out[64];
    size_t n = 0;
    ASSERT_EQ(server.ReceiveReport(out, sizeof out, &n, 1000), FrameReadResult::Frame);
    Bytes expected = timeout;
    expected.resize(17, 0);
    EXPECT_EQ(Bytes(out, out + n), expected);
}

TEST_F(VirtualReceiverTest, BadPeersMakeTheDeviceFailCleanly)
{
    ASSERT_TRUE(server.Listen(socketPath));
    uint8_t buf[64];

    // Disconnect in the middle of a report.
    auto device = Connect();
    const uint8_t partial[] = {17, 0, 0x0A, 0x03, 0x00};
    ASSERT_EQ(::send(server.ClientFd(), partial, sizeof partial, MSG_NOSIGNAL), 5);
    server.DropClient();
    EXPECT_EQ(device->ReadReport(buf, sizeof buf, 1000), -1);
    EXPECT_NE(device->LastError(), 0);
    EXPECT_EQ(device->ReadReport(buf, sizeof buf, 10), -1);  // stays failed
    EXPECT_EQ(device->WriteReport(partial, 3), -1);

    // A length of 0 and a length beyond any HID report are garbage.
    for (const Bytes& garbage : {Bytes{0, 0, 0x0A}, Bytes{0xFF, 0xFF, 0x0A, 0x03}}) {
        device = Connect();
        ASSERT_EQ(::send(server.ClientFd(), garbage.data(), garbage.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(garbage.size()));
        EXPECT_EQ(device->ReadReport(buf, sizeof buf, 1000), -1);
    }

    // The peer closing between reports.
    device = Connect();
    server.DropClient();
    EXPECT_EQ(device->ReadReport(buf, sizeof buf, 1000), -1);
}

TEST_F(VirtualReceiverTest, MonitorReportsTheReceiverArrivingAndLeaving)
{
    HidEvents events;
    platform::UdevMonitor monitor(api, 0x25A7);
    monitor.Start(events.Recorder());
    const auto count = [&] { return events.Count(); };

    ASSERT_TRUE(server.Listen(socketPath));
    ASSERT_TRUE(WaitFor([&] { return count() == 1; }));
    server.Close();
    ASSERT_TRUE(WaitFor([&] { return count() == 2; }));
    monitor.Stop();
    EXPECT_EQ(events.At(0), std::make_pair(HidEvent::Arrival, path));
    EXPECT_EQ(events.At(1), std::make_pair(HidEvent::Removal, path));
}

TEST_F(VirtualReceiverTest, ReadWithoutTimeLimitEndsWhenWokenButReadsAWaitingReportFirst)
{
    ASSERT_TRUE(server.Listen(socketPath));
    auto device = Connect();
    uint8_t buf[64];
    // A wake given before the read still ends it.
    device->WakeReader();
    EXPECT_EQ(device->ReadReport(buf, sizeof buf, -1), 0);
    std::thread waker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        device->WakeReader();
    });
    EXPECT_EQ(device->ReadReport(buf, sizeof buf, -1), 0);
    waker.join();

    const uint8_t report[17] = {0x0A, 0x03};
    ASSERT_TRUE(server.SendReport(report, sizeof report));
    device->WakeReader();
    EXPECT_EQ(device->ReadReport(buf, sizeof buf, -1), 17);
    EXPECT_EQ(device->ReadReport(buf, sizeof buf, -1), 0);
}

// Servers that do not end as the tool does: one that binds well before it listens, and one
// killed while connected, which leaves its socket file behind.
TEST_F(VirtualReceiverTest, MonitorFollowsALateListenAndAKilledServer)
{
    HidEvents events;
    platform::UdevMonitor monitor(api, 0x25A7);
    monitor.Start(events.Recorder());
    const auto count = [&] { return events.Count(); };

    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", socketPath.c_str());
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(count(), 0u);
    ASSERT_EQ(::listen(listener, 1), 0);
    ASSERT_TRUE(WaitFor([&] { return count() == 1; }));

    auto device = api.Open(path);
    ASSERT_TRUE(device);
    const int client = ::accept(listener, nullptr, nullptr);
    ASSERT_GE(client, 0);
    ::close(client);
    ::close(listener);
    uint8_t buf[64];
    EXPECT_EQ(device->ReadReport(buf, sizeof buf, 1000), -1);
    ASSERT_TRUE(WaitFor([&] { return count() == 2; }));
    monitor.Stop();
    EXPECT_EQ(events.At(0), std::make_pair(HidEvent::Arrival, path));
    EXPECT_EQ(events.At(1), std::make_pair(HidEvent::Removal, path));
}

TEST(HidMonitorPolling, WithoutNetlinkEveryInterfaceIsFoundByPolling)
{
    FakeHidApi fake;
    fake.AddInterface(ReceiverInterface(0x0178, "/dev/hidraw0"));
    HidEvents events;
    platform::UdevMonitor monitor(fake, 0x25A7, false);
    EXPECT_FALSE(monitor.Start(events.Recorder()));
    EXPECT_STREQ(monitor.Source(), "");
    const auto count = [&] { return events.Count(); };
    // Present at start: no event. Usage pairs of one path: one event.
    fake.AddInterface(ReceiverInterface(0x0180, "/dev/hidraw1", 0x0001, 0x0002));
    fake.AddInterface(ReceiverInterface(0x0180, "/dev/hidraw1"));
    ASSERT_TRUE(WaitFor([&] { return count() == 1; }));
    fake.RemoveInterface("/dev/hidraw0");
    ASSERT_TRUE(WaitFor([&] { return count() == 2; }));
    monitor.Stop();
    EXPECT_EQ(events.At(0), std::make_pair(HidEvent::Arrival, std::string("/dev/hidraw1")));
    EXPECT_EQ(events.At(1), std::make_pair(HidEvent::Removal, std::string("/dev/hidraw0")));
}
