#include "LinkFixture.h"
#include "ProtocolCmdDef.h"

#include <thread>

namespace {

constexpr uint8_t kPresenterOnline = KVO_STATUS_ONLINE | KVO_STATUS_PRESENTER;

Bytes Report(uint8_t status, uint8_t key = 0, uint8_t button = 0, int8_t dx = 0, int8_t dy = 0)
{
    Bytes report(16, 0);
    report[0] = KVO_REPORT_ID;
    report[KVO_REPORT_STATUS] = status;
    report[KVO_REPORT_KEY] = key;
    report[KVO_REPORT_DX] = static_cast<uint8_t>(dx);
    report[KVO_REPORT_DY] = static_cast<uint8_t>(dy);
    report[KVO_REPORT_BUTTON] = button;
    report[15] = 0x5A;  // passed through untouched
    return report;
}

class DecoderTest : public LinkFixture {
protected:
    void Feed(const Bytes& report, int source = KVO_LINK_HID)
    {
        decoder.DecodeReport(report.data(), static_cast<int>(report.size()), source);
    }

    std::vector<Bytes> TakeMotion()
    {
        std::vector<Bytes> records;
        while (cmdInfo* record = movePos.pollObj(0)) {
            records.emplace_back(record->data.get(), record->data.get() + record->dataLength);
            movePos.releaseObj(record);
        }
        return records;
    }

    // Connects a presenter on the receiver and consumes what that produced.
    void Connect(uint8_t status = kPresenterOnline, int source = KVO_LINK_HID)
    {
        Feed(Report(status), source);
        RunDeviceWorker();
        Feed(Report(status), source);
        TakeDeviceCmds();
        TakeMotion();
        ASSERT_EQ(Device().GetStatus(), DEVICE_STATUS_CONNECTED);
    }

    ObjectManager movePos{KVO_MOVEPOS_CAPACITY};
    KVOReportDecoder decoder{movePos};
};

TEST_F(DecoderTest, FirstOnlineReportConnectsAndTheNextGivesMotionAndOneSync)
{
    Feed(Report(kPresenterOnline, 4, 0, 5, -3));
    EXPECT_EQ(TakeDeviceCmds(), (std::vector<DeviceCmd>{{CMD_DEVICE_CONNECTED, KVO_PRESENTER}}));
    EXPECT_TRUE(TakeMotion().empty());
    EXPECT_EQ(Device().GetLinkKind(), KVO_LINK_HID);

    Device().PushCmd(CMD_DEVICE_CONNECTED, KVO_PRESENTER);  // what the worker then runs
    RunDeviceWorker();
    const Bytes moving = Report(kPresenterOnline, 4, 0, 5, -3);
    Feed(moving);
    Feed(Report(kPresenterOnline, 4, 0, 1, 1));
    EXPECT_EQ(TakeDeviceCmds(), (std::vector<DeviceCmd>{{CMD_SYNC_PARAMETERS, KVO_PRESENTER}}));
    const auto motion = TakeMotion();
    ASSERT_EQ(motion.size(), 2u);
    EXPECT_EQ(motion[0], moving);
}

TEST_F(DecoderTest, WirelessMouseAndTypeChangeReconnect)
{
    Connect();
    Feed(Report(KVO_STATUS_ONLINE | KVO_STATUS_WIRELESS_MOUSE));
    EXPECT_EQ(TakeDeviceCmds(), (std::vector<DeviceCmd>{{CMD_DEVICE_CONNECTED, KVO_WIRLESS_MOUSE}}));
    Device().PushCmd(CMD_DEVICE_CONNECTED, KVO_WIRLESS_MOUSE);
    RunDeviceWorker();
    Feed(Report(KVO_STATUS_ONLINE | KVO_STATUS_WIRELESS_MOUSE, 0, 1));
    EXPECT_EQ(TakeDeviceCmds(), (std::vector<DeviceCmd>{{CMD_SYNC_PARAMETERS, KVO_WIRLESS_MOUSE}}));
    EXPECT_EQ(TakeMotion().size(), 1u);
}

TEST_F(DecoderTest, OfflineReportDisconnectsWithoutCommandAndOnlineReconnects)
{
    Connect();
    Feed(Report(0));
    EXPECT_EQ(Device().GetStatus(), DEVICE_STATUS_DISCONNECTED);
    EXPECT_TRUE(TakeDeviceCmds().empty());
    EXPECT_TRUE(TakeMotion().empty());
    Feed(Report(kPresenterOnline));
    EXPECT_EQ(TakeDeviceCmds(), (std::vector<DeviceCmd>{{CMD_DEVICE_CONNECTED, KVO_PRESENTER}}));
}

TEST_F(DecoderTest, ChargingFlagFollowsBitSevenOfTheKeyByte)
{
    Connect();
    Feed(Report(kPresenterOnline, 0x80));
    EXPECT_EQ(Device().GetCharging(), 1);
    Feed(Report(kPresenterOnline, 0x04));
    EXPECT_EQ(Device().GetCharging(), 0);
}

TEST_F(DecoderTest, OtherLinkTakesOverOnlyWithAKeyAfter500QuietMs)
{
    Connect(kPresenterOnline, KVO_LINK_BLE);
    Feed(Report(kPresenterOnline, 4), KVO_LINK_BLE);  // last Bluetooth LE activity
    TakeMotion();

    clock.clock.Advance(500);
    Feed(Report(kPresenterOnline, 1), KVO_LINK_HID);
    EXPECT_TRUE(TakeMotion().empty());
    EXPECT_EQ(Device().GetLinkKind(), KVO_LINK_BLE);

    clock.clock.Advance(1);
    Feed(Report(kPresenterOnline, 1), KVO_LINK_HID);
    EXPECT_EQ(TakeMotion().size(), 1u);
    EXPECT_EQ(Device().GetLinkKind(), KVO_LINK_HID);

    // Now the LE link is the other one: idle reports from it never take over, however late.
    clock.clock.Advance(60000);
    Feed(Report(kPresenterOnline), KVO_LINK_BLE);
    EXPECT_TRUE(TakeMotion().empty());
    EXPECT_EQ(Device().GetLinkKind(), KVO_LINK_HID);
}

TEST_F(DecoderTest, ModelBitCountsAsAnotherSender)
{
    Connect();
    Feed(Report(kPresenterOnline | KVO_STATUS_MODEL, 0, 0x10));  // button only, same link, other model
    EXPECT_EQ(Device().GetModelBit(), 0);  // too soon after the connect
    clock.clock.Advance(501);
    Feed(Report(kPresenterOnline | KVO_STATUS_MODEL, 0, 0x10));
    EXPECT_EQ(Device().GetModelBit(), 1);
}

TEST_F(DecoderTest, ExactlyOneTimeOutPerSilence)
{
    ConnectDeviceMgrToLink(&Device());
    Connect();
    clock.clock.Advance(5000);
    decoder.CheckSilence();
    EXPECT_TRUE(TakeDeviceCmds().empty());

    clock.clock.Advance(1);
    decoder.CheckSilence();
    decoder.CheckSilence();
    const auto cmds = TakeDeviceCmds();
    EXPECT_EQ(cmds, (std::vector<DeviceCmd>{{CMD_CONNECT_TIMEOUT, KVO_PRESENTER}}));
    Device().PushCmd(CMD_CONNECT_TIMEOUT, KVO_PRESENTER);
    RunDeviceWorker();
    EXPECT_EQ(Device().GetStatus(), DEVICE_STATUS_DISCONNECTED);
    for (int i = 0; i < 5; ++i) {
        clock.clock.Advance(6000);
        decoder.CheckSilence();
    }
    EXPECT_TRUE(TakeDeviceCmds().empty());

    // Back online: the first report after a time-out syncs again.
    Feed(Report(kPresenterOnline));
    RunDeviceWorker();
    Feed(Report(kPresenterOnline));
    EXPECT_EQ(TakeDeviceCmds(), (std::vector<DeviceCmd>{{CMD_SYNC_PARAMETERS, KVO_PRESENTER}}));
}

TEST_F(DecoderTest, OnlineReportsKeepTheLinkAlive)
{
    Connect();
    for (int i = 0; i < 10; ++i) {
        clock.clock.Advance(4000);
        Feed(Report(kPresenterOnline));
        decoder.CheckSilence();
    }
    TakeMotion();
    EXPECT_TRUE(TakeDeviceCmds().empty());
}

TEST_F(DecoderTest, ReportsBeforeStartUpOrDuringDisplayChangeAreDropped)
{
    g_bIsInitComplete = false;
    Feed(Report(kPresenterOnline));
    g_bIsInitComplete = true;
    g_bIsReboot = true;
    Feed(Report(kPresenterOnline));
    g_bIsReboot = false;
    EXPECT_TRUE(TakeDeviceCmds().empty());
    EXPECT_NE(LogText().find("ThreadRecvCmdFunc() Error g_bIsMultiDevice:0  g_bIsReboot:1 g_bIsInitComplete:1"),
              std::string::npos);
}

TEST_F(DecoderTest, FullMotionQueueLosesTheNewestReportOnly)
{
    Connect();
    for (int i = 0; i < KVO_MOVEPOS_CAPACITY + 3; ++i)
        Feed(Report(kPresenterOnline, 4, 0, static_cast<int8_t>(i)));
    EXPECT_EQ(movePos.queueSize(), KVO_MOVEPOS_CAPACITY);
    EXPECT_EQ(TakeMotion().front()[KVO_REPORT_DX], 0);
    EXPECT_NE(LogText().find("****** ThreadRecvCmdFunc offer size:100"), std::string::npos);
}

TEST_F(DecoderTest, MalformedReportsAreLoggedAndChangeNothing)
{
    Connect();
    const Bytes one{KVO_REPORT_ID};
    Bytes shortReport = Report(kPresenterOnline, 4);
    shortReport.resize(15);
    Bytes otherId = Report(kPresenterOnline, 4);
    otherId[0] = 0x0B;
    decoder.DecodeReport(nullptr, 0, KVO_LINK_HID);
    decoder.DecodeReport(one.data(), 0, KVO_LINK_HID);
    Feed(one);
    Feed(shortReport);
    Feed(otherId);
    for (uint8_t status : {0xD5, 0xD9, 0xE0})
        Feed(Report(status, 4));
    EXPECT_TRUE(TakeMotion().empty());
    EXPECT_TRUE(TakeDeviceCmds().empty());
    EXPECT_EQ(Device().GetStatus(), DEVICE_STATUS_CONNECTED);

    Bytes longReport = Report(kPresenterOnline, 4, 0, 7);
    longReport.resize(64, 0xEE);
    Feed(longReport);
    const auto motion = TakeMotion();
    ASSERT_EQ(motion.size(), 1u);
    EXPECT_EQ(motion[0], Bytes(longReport.begin(), longReport.begin() + 16));

    const std::string log = LogText();
    EXPECT_NE(log.find("short report dropped, len:0"), std::string::npos);
    EXPECT_NE(log.find("short report dropped, len:15"), std::string::npos);
    EXPECT_NE(log.find("report id 0x0B dropped"), std::string::npos);
    EXPECT_NE(log.find("status 0xD9 report skipped"), std::string::npos);
}

// A node as the HID reader makes it: header, then `report`.
pMemNode MakeNode(const Bytes& report, int source)
{
    pMemNode node = nullptr;
    EXPECT_EQ(Mem_Alloc(&node, 1024, __FILE__), 0);
    KVOFrameHeader header;
    header.source = source;
    WriteFrameHeader(node, header);
    if (!report.empty())
        std::memcpy(FrameReport(node), report.data(), report.size());
    node->data_len = KVO_FRAME_HEADER_SIZE + static_cast<int>(report.size());
    return node;
}

TEST_F(DecoderTest, NodeLengthsOutsideTheBufferAreClamped)
{
    Connect();
    pMemNode node = MakeNode(Report(kPresenterOnline, 4), KVO_LINK_HID);
    node->data_len = -5;
    decoder.DecodeNode(node);
    node->data_len = 1 << 30;  // reads stop at the buffer's end
    decoder.DecodeNode(node);
    decoder.DecodeNode(nullptr);
    Mem_Free(node, __FILE__, __func__, __LINE__);
    EXPECT_EQ(TakeMotion().size(), 1u);
}

TEST_F(DecoderTest, ReceiveThreadDecodesQueuedNodesAndEndsOnAStopNode)
{
    RingQueue* recv = GetDataQueue(KVO_RECV_QUEUE);
    ObjectManager& motion = MovePosQueue();
    while (cmdInfo* stale = motion.pollObj(0))
        motion.releaseObj(stale);
    Device().SetStatus(DEVICE_STATUS_CONNECTED);
    Device().SetDevType(KVO_PRESENTER);

    g_bLinkRunning = true;
    std::thread receiver(ThreadRecvCmdFunc, recv);
    EnRingQWait(recv, MakeNode(Report(kPresenterOnline, 4, 0, 9), KVO_LINK_HID));
    EnRingQWait(recv, MakeNode(Bytes{}, KVO_LINK_HID));
    pMemNode stop = nullptr;
    ASSERT_EQ(Mem_Alloc(&stop, 128, __FILE__), 0);
    stop->stop_tag = 1;
    EnRingQWait(recv, stop);
    receiver.join();  // ends on the stop node although the running flag is still set

    cmdInfo* record = motion.pollObj(0);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->data[KVO_REPORT_DX], 9);
    motion.releaseObj(record);
    EXPECT_NE(LogText().find("ThreadRecvCmdFunc() Exit!"), std::string::npos);
    for (int size : {128, 1024}) {  // every node went back to the pool
        const int nodeClass = Mem_ClassForSize(size);
        EXPECT_EQ(Mem_FreeCount(nodeClass), Mem_CreatedCount(nodeClass)) << size;
    }
}

} // namespace
