// The decoder with the real transport threads on the fake HID layer: reports read from the
// receiver connect the device, reach the motion queue and bring the device its parameters, and
// the heartbeat reaches the receiver, all on the link's own threads.

#include "ControllerSet.h"
#include "HidFixture.h"
#include "KVOControler.h"
#include "KVOFrameHeader.h"
#include "KVOOperationsManager.h"
#include "KVOReportDecoder.h"

#include <algorithm>
#include <thread>

namespace {

class DecoderLinkTest : public HidFixture {
protected:
    void SetUp() override
    {
        HidFixture::SetUp();
        ConnectDeviceMgrToLink(&Device());
        Device().StartThread();
        SetCursorSpeedSource([] { return 40; });
        g_bIsInitComplete = true;
        while (cmdInfo* stale = MovePosQueue().pollObj(0))
            MovePosQueue().releaseObj(stale);
    }
    void TearDown() override
    {
        StopLink();
        SetKVOPhysicalDeviceTracker(nullptr);
        ConnectDeviceMgrToLink(nullptr);
        ControllerSet::Destroy();
        SetCursorSpeedSource(nullptr);
        g_bIsInitComplete = false;
        HidFixture::TearDown();
    }

    DeviceMgr& Device() { return ControllerSet::Instance().GetDeviceMgr(); }

    void StartLink()
    {
        StartHidThreads(GetDataQueue(KVO_SEND_QUEUE), GetDataQueue(KVO_RECV_QUEUE));
        m_decoder = std::thread(ThreadRecvCmdFunc, GetDataQueue(KVO_RECV_QUEUE));
        m_heart = std::thread(ThreadSendCmdFunc, GetDataQueue(KVO_SEND_QUEUE));
    }

    // In the order the link ends: the device manager's worker (it queues frames), flag, stop node
    // for the decoder, joins. A decoder that saw the flag first leaves the stop node queued, and a
    // heartbeat queued as the flag fell is never taken by the writer: both go back to the pool
    // here, as the program's exit empties the queues.
    void StopLink()
    {
        Device().StopThread();
        g_bLinkRunning = false;
        if (m_decoder.joinable()) {
            pMemNode stop = nullptr;
            ASSERT_EQ(Mem_Alloc(&stop, 128, __FILE__), 0);
            stop->stop_tag = 1;
            EnRingQWait(GetDataQueue(KVO_RECV_QUEUE), stop);
            m_decoder.join();
        }
        if (m_heart.joinable())
            m_heart.join();
        StopHidThreads();
        for (int queue : {KVO_RECV_QUEUE, KVO_SEND_QUEUE}) {
            pMemNode left = nullptr;
            int count = 0;
            while (DeRingQ(GetDataQueue(queue), &left, 1, &count) == 0 && count == 1)
                Mem_Free(left, __FILE__, __func__, __LINE__);
        }
    }

    // Outlives the link's threads, which TearDown ends first.
    std::unique_ptr<KVOPhysicalDeviceTracker> m_tracker;
    std::thread m_decoder;
    std::thread m_heart;
};

bool HasWrite(const std::vector<Bytes>& writes, uint8_t code)
{
    return std::any_of(writes.begin(), writes.end(), [&](const Bytes& w) { return w.size() > 3 && w[3] == code; });
}

TEST_F(DecoderLinkTest, ReceiverReportsConnectTheRemoteAndBringItsParameters)
{
    auto receiver = fake.AddInterface(ReceiverInterface(0x0178, "/dev/hidraw0"), "usb1");
    m_tracker = std::make_unique<KVOPhysicalDeviceTracker>(fake, nullptr, nullptr);
    m_tracker->Start();
    SetKVOPhysicalDeviceTracker(m_tracker.get());
    ASSERT_EQ(InitHidManager(), 0);
    StartLink();

    Bytes report(platform::kReceiverInputReportLength, 0);
    report[0] = KVO_REPORT_ID;
    report[KVO_REPORT_STATUS] = KVO_STATUS_ONLINE | KVO_STATUS_PRESENTER;
    receiver->PushInput(report);
    ASSERT_TRUE(WaitUntil([&] { return Device().GetStatus() == DEVICE_STATUS_CONNECTED; }));
    EXPECT_EQ(Device().GetLinkKind(), KVO_LINK_HID);

    report[KVO_REPORT_KEY] = 4;
    report[KVO_REPORT_DX] = 5;
    receiver->PushInput(report);
    cmdInfo* record = MovePosQueue().pollObj(5000);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->data[KVO_REPORT_KEY], 4);
    EXPECT_EQ(record->data[KVO_REPORT_DX], 5);
    MovePosQueue().releaseObj(record);

    ASSERT_TRUE(WaitUntil([&] {
        const auto writes = receiver->Writes();
        return HasWrite(writes, KVO_CMD_SENSITIVITY) && HasWrite(writes, KVO_CMD_HEARTBEAT);
    }));
    StopLink();

    for (const Bytes& write : receiver->Writes()) {
        ASSERT_EQ(write.size(), platform::kReceiverOutputReportLength);
        EXPECT_EQ(write[0], KVO_REPORT_ID);
        EXPECT_EQ(write[1], KVO_FRAME_FROM_HOST);
        EXPECT_EQ(write[2], 1);
        if (write[3] == KVO_CMD_TIMEOUT) {
            EXPECT_EQ(Bytes(write.begin() + 4, write.end()),
                      (Bytes{0x60, 0xEA, 0xE8, 0x03, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
        }
        if (write[3] == KVO_CMD_SENSITIVITY) {
            EXPECT_EQ(write[4], 70);  // speed 40, model bit 0
            EXPECT_EQ(write[5], 100);
        }
    }
    EXPECT_TRUE(HasWrite(receiver->Writes(), KVO_CMD_TIMEOUT));
    ExpectPoolIntact();
}

} // namespace
