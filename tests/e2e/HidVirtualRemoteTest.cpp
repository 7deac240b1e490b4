// The receiver transport end to end: the virtual remote program serves a Unix socket, the HID
// layer finds it, the tracker hears it arrive, the reader queues its reports, the writer's frames
// reach its record, and unplugging is noticed.

#include "HidTestFrames.h"
#include "KVOFrameHeader.h"
#include "KVOHidThreadManager.h"
#include "KVOPhysicalDeviceTracker.h"
#include "PoolFixture.h"
#include "RemoteProcess.h"
#include "SystemHidApi.h"
#include "TempDir.h"

#include <atomic>

namespace {

struct LinkState final : IKVODeviceState {
    std::atomic<int> linkKind{0};
    std::atomic<int> devType{-1};
    int GetLinkKind() override { return linkKind; }
    void SetDevType(int type) override { devType = type; }
};

} // namespace

class HidVirtualRemote : public PoolFixture {
protected:
    void SetUp() override
    {
        PoolFixture::SetUp();
        ASSERT_EQ(StartLogWriter(&sink), 0);
        platform::SetHidApi(&api);
        SetKVODeviceState(&state);
        g_bLinkRunning = true;
    }
    void TearDown() override
    {
        g_bLinkRunning = false;
        StopHidThreads();
        g_commandhid.Clear();
        SetKVOPhysicalDeviceTracker(nullptr);
        SetKVODeviceState(nullptr);
        platform::SetHidApi(nullptr);
        PoolFixture::TearDown();
    }
    bool LogHas(const std::string& text)
    {
        return WaitUntil([&] { return sink.Text().find(text) != std::string::npos; }, std::chrono::seconds(10));
    }

    TempDir dir;
    std::string socketPath = dir.file("remote.sock");
    platform::SystemHidApi api{std::make_unique<platform::VirtualReceiver>(socketPath, 0x0178)};
    LinkState state;
    MemorySink sink;
};

TEST_F(HidVirtualRemote, ReportsInFramesOutAndUnplugNoticed)
{
    WriteWholeFile(dir.file("script.txt"),
                   "report 0x03 0\n"
                   "wait 300\n"
                   "report 0x03 2 4 -4\n"
                   "wait 1500\n"
                   "unplug\n"
                   "wait 1000\n");
    const std::string record = dir.file("record.txt");
    KVOPhysicalDeviceTracker tracker(api, platform::CreateHidMonitor(api, KVO_VENDOR_ID), nullptr);
    tracker.Start();
    SetKVOPhysicalDeviceTracker(&tracker);
    ASSERT_EQ(tracker.PhysicalDeviceCount(), 0);

    RemoteProcess remote({"--socket", socketPath, "--script", dir.file("script.txt"), "--rate", "100", "--record",
                          record, "--quiet"});
    ASSERT_TRUE(remote.Running());
    // The receiver arrives through the monitor, like a plugged-in one.
    ASSERT_TRUE(WaitUntil([&] { return tracker.PhysicalDeviceCount() == 1; }));
    EXPECT_TRUE(LogHas("Physical device added via callback: virtual:" + socketPath + ", Total: 1"));
    EXPECT_EQ(KVOCountHidReceivers(), 1);
    ASSERT_EQ(InitHidManager(), 0);
    EXPECT_EQ(state.devType.load(), KVO_PRESENTER);
    StartHidThreads(GetDataQueue(KVO_SEND_QUEUE), GetDataQueue(KVO_RECV_QUEUE));

    // Input reports: first the online report, then page down with motion, repeated at the rate.
    int online = 0, pageDown = 0;
    bool headersOk = true;
    const auto consumed = WaitUntil([&] {
        pMemNode nodes[64];
        int count = 0;
        DeRingQTimed(GetDataQueue(KVO_RECV_QUEUE), nodes, 64, &count, 50);
        for (int i = 0; i < count; ++i) {
            const uint8_t* r = FrameReport(nodes[i]);
            headersOk = headersOk && ReadFrameHeader(nodes[i]).source == KVO_LINK_HID;
            if (r[0] == 0x0A && r[1] == 0x03 && r[4] == 0 && pageDown == 0)
                ++online;
            if (r[0] == 0x0A && r[1] == 0x03 && r[4] == 2 && r[6] == 4 && r[7] == 0xFC)
                ++pageDown;
            Mem_Free(nodes[i], __FILE__, __func__, __LINE__);
        }
        return pageDown >= 20;
    });
    ASSERT_TRUE(consumed);
    EXPECT_GE(online, 1);
    EXPECT_TRUE(headersOk);

    // Frames: the heartbeat and the 8-byte time-out frame, each one padded 17-byte report.
    state.linkKind = KVO_LINK_HID;
    QueueOutgoingFrame({0x0A, 0xB2, 0x01, 0x50, 0x01}, 16);
    QueueOutgoingFrame({0x0A, 0xB2, 0x01, 0xD4, 0x60, 0xEA, 0xE8, 0x03}, 8);
    EXPECT_TRUE(WaitUntil([&] {
        const std::string text = ReadWholeFile(record);
        return text.find(" 0A B2 01 50 01 00 00 00 00 00 00 00 00 00 00 00 00\n") != std::string::npos
            && text.find(" 0A B2 01 D4 60 EA E8 03 00 00 00 00 00 00 00 00 00\n") != std::string::npos;
    })) << ReadWholeFile(record);

    // Unplugged: the read fails, the record is dropped and the tracker counts nothing.
    const auto drain = [&] {
        pMemNode nodes[64];
        int count = 0;
        DeRingQ(GetDataQueue(KVO_RECV_QUEUE), nodes, 64, &count);
        for (int i = 0; i < count; ++i)
            Mem_Free(nodes[i], __FILE__, __func__, __LINE__);
    };
    EXPECT_TRUE(WaitUntil([&] { drain(); return !g_commandhid.IsOpen(); }, std::chrono::seconds(10)));
    EXPECT_TRUE(WaitUntil([&] { return tracker.PhysicalDeviceCount() == 0; }));
    EXPECT_TRUE(LogHas("Physical device removed via callback: virtual:" + socketPath + ", Total: 0"));
    EXPECT_TRUE(LogHas("RecvFrom() Call GetOverlappedResult()--HID ReadCmdOverlapped Length = 0;"));
    EXPECT_EQ(InitHidManager(), -1);
    EXPECT_EQ(remote.Wait(), 0);

    StopHidThreads();
    tracker.StopMonitor();
    drain();
    CloseLogWriter();
    for (int i = 0; i < MEM_CLASS_COUNT; ++i)
        EXPECT_EQ(Mem_FreeCount(i), Mem_CreatedCount(i)) << "class " << i;
}
