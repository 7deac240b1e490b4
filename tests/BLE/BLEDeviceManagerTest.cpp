// The BLE link's device manager against a scripted Bluetooth LE system: which devices it takes,
// how it connects, removes and reconnects them, what reaches the receive queue, and the guards
// on enumeration and sending.

#include "FakeBluetoothLE.h"
#include "FakeClock.h"
#include "HidFixture.h"
#include "HidTestFrames.h"
#include "KVOBLEDeviceManager.h"
#include "KVOBLENames.h"
#include "KVOFrameHeader.h"
#include "KVORingQueue.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

namespace {

const std::string kPresenter(kvoble::KVO_BLE_GROUP0_NAMES[0]);
const std::string kAirMouse(kvoble::KVO_BLE_GROUP1_NAMES[0]);

class BLEManager : public HidFixture {
protected:
    void SetUp() override
    {
        HidFixture::SetUp();
        recvQ = GetDataQueue(KVO_RECV_QUEUE);
    }
    void TearDown() override
    {
        manager.reset();
        HidFixture::TearDown();
    }
    // The status thread makes its first pass at once and then waits longer than any test runs;
    // the tests drive the following passes themselves.
    void Start()
    {
        manager = std::make_unique<KVOBLEDeviceManager>(ble, KVOBLEDeviceManager::Options{600000});
        manager->SetRecvQueue(recvQ);
        ASSERT_TRUE(WaitUntil([&] { return ble.FindAllCalls() >= 1; }));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    void Pass()
    {
        clock.clock.Advance(1000);
        manager->CompareDevices(manager->EnumerateDevices());
    }
    bool Listed(const std::string& id, bool connected)
    {
        return WaitUntil([&] {
            for (const auto& [listedId, isConnected] : manager->ListedDevices()) {
                if (listedId == id)
                    return isConnected == connected;
            }
            return false;
        });
    }
    bool Unlisted(const std::string& id)
    {
        return WaitUntil([&] {
            for (const auto& entry : manager->ListedDevices()) {
                if (entry.first == id)
                    return false;
            }
            return true;
        });
    }

    ScopedFakeClock clock;
    FakeBluetoothLE ble;
    RingQueue* recvQ = nullptr;
    std::unique_ptr<KVOBLEDeviceManager> manager;
};

TEST_F(BLEManager, TakesConnectedDevicesWithAnAcceptedNameByExactCase)
{
    auto presenter = ble.Add("/dev_A", kPresenter);
    ble.Add("/dev_B", "orvelle presenter");
    ble.Add("/dev_C", kvoble::KVO_BLE_GROUP0_NAMES[1].data(), false);
    auto airMouse = ble.Add("/dev_D", kAirMouse);
    Start();

    EXPECT_TRUE(Listed("/dev_A", true));
    EXPECT_TRUE(Listed("/dev_D", true));
    EXPECT_TRUE(presenter->notifying);
    EXPECT_TRUE(LogHas("[INFO]", "BLE device add with deviceUUID:/dev_A deviceName:" + kPresenter));
    EXPECT_TRUE(LogHas("[INFO]", "BLE device WCHBLERegisterReadNotify success with deviceUUID:/dev_D"));
    const auto listed = manager->ListedDevices();
    EXPECT_EQ(listed.size(), 2u);
    EXPECT_TRUE(manager->IsReady());
}

TEST_F(BLEManager, ReconnectsAListedRemoteAndRemovesOneThatLeftOrDropped)
{
    // The first connection fails: the remote stays listed, not connected.
    auto remote = ble.Add("/dev_A", kPresenter);
    remote->SetHasService(false);
    Start();
    EXPECT_TRUE(LogHas("[ERROR]", "BLE device open fail with deviceUUID:/dev_A"));
    EXPECT_TRUE(Listed("/dev_A", false));
    EXPECT_FALSE(manager->IsReady());

    // Seen connected again on the next pass: connected without being added twice.
    remote->SetHasService(true);
    Pass();
    EXPECT_TRUE(Listed("/dev_A", true));
    EXPECT_EQ(LogCount("BLE device add with deviceUUID:/dev_A"), 1u);

    // The system reports the disconnection: removed at once, handlers gone.
    remote->Drop();
    EXPECT_TRUE(Unlisted("/dev_A"));
    EXPECT_TRUE(LogHas("[INFO]", "BLE device remove with deviceUUID:/dev_A"));
    EXPECT_FALSE(manager->IsReady());

    // No longer enumerated: removed on the next pass.
    auto other = ble.Add("/dev_E", kAirMouse);
    Pass();
    ASSERT_TRUE(Listed("/dev_E", true));
    ble.Remove("/dev_E");
    Pass();
    EXPECT_TRUE(Unlisted("/dev_E"));
    EXPECT_TRUE(WaitUntil([&] { return other->Closes() == 1; }));
}

TEST_F(BLEManager, OnlyInputReportsReachTheReceiveQueue)
{
    auto remote = ble.Add("/dev_A", kPresenter);
    Start();
    ASSERT_TRUE(Listed("/dev_A", true));

    remote->Notify({0x0B, 0x01, 0x02});
    remote->Notify({});
    EXPECT_TRUE(RingQIsEmpty(recvQ));

    std::vector<uint8_t> longReport(1200, 0x55);
    longReport[0] = KVO_REPORT_ID;
    remote->Notify({KVO_REPORT_ID, 0xB2, 0x01, 0x20});
    remote->Notify(longReport);
    pMemNode nodes[2] = {};
    int count = 0;
    ASSERT_EQ(DeRingQ(recvQ, nodes, 2, &count), 0);
    ASSERT_EQ(count, 2);
    const KVOFrameHeader header = ReadFrameHeader(nodes[0]);
    EXPECT_EQ(header.source, KVO_LINK_BLE);
    EXPECT_EQ(nodes[0]->data_len, 27 + 4);
    EXPECT_EQ(std::vector<uint8_t>(FrameReport(nodes[0]), FrameReport(nodes[0]) + 4),
              (std::vector<uint8_t>{KVO_REPORT_ID, 0xB2, 0x01, 0x20}));
    // A notification longer than the block is cut, never written past it.
    EXPECT_EQ(nodes[1]->data_len, KVO_BLE_NODE_SIZE);
    for (pMemNode node : nodes)
        Mem_Free(node, __FILE__, __func__, __LINE__);

    // After the shutdown nothing more is queued, and every device was let go.
    manager->Stop();
    EXPECT_EQ(remote->Closes(), 1);
    remote->Notify({KVO_REPORT_ID, 0xB2});
    EXPECT_TRUE(RingQIsEmpty(recvQ));
    EXPECT_TRUE(manager->ListedDevices().empty());
}

TEST_F(BLEManager, EnumerationReturnsTheCacheWhileOneRunsOrWithin800Ms)
{
    ble.Add("/dev_A", kPresenter);
    Start();
    const int calls = ble.FindAllCalls();

    // Less than 800 ms after the last one: the cache, no system call.
    clock.clock.Advance(500);
    EXPECT_EQ(manager->EnumerateDevices().size(), 1u);
    EXPECT_EQ(ble.FindAllCalls(), calls);

    // Two at once: the second returns the cache while the first is still inside the system.
    ble.Add("/dev_B", kAirMouse);
    ble.HoldFindAll(true);
    clock.clock.Advance(1000);
    std::vector<platform::BleDeviceEntry> first;
    std::thread slow([&] { first = manager->EnumerateDevices(); });
    ASSERT_TRUE(WaitUntil([&] { return ble.FindAllCalls() == calls + 1; }));
    EXPECT_EQ(manager->EnumerateDevices().size(), 1u);
    EXPECT_EQ(ble.FindAllCalls(), calls + 1);
    ble.HoldFindAll(false);
    slow.join();
    EXPECT_EQ(first.size(), 2u);
}

TEST_F(BLEManager, SendDropsFramesBeyondFiveQueuedAndWritesToEveryConnectedRemote)
{
    auto a = ble.Add("/dev_A", kPresenter);
    auto b = ble.Add("/dev_B", kAirMouse);
    Start();
    ASSERT_TRUE(Listed("/dev_A", true));
    ASSERT_TRUE(Listed("/dev_B", true));

    // The send thread is stuck in the first write; five more wait in the queue, the rest go.
    a->holdWrites = true;
    const uint8_t frame[] = {KVO_REPORT_ID, 0xB2, 0x01};
    manager->SendData(frame, 3);
    ASSERT_TRUE(WaitUntil([&] { return a->Writes() == 0 && manager->IsReady(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    for (int i = 0; i < 8; ++i)
        manager->SendData(frame, 3);
    a->ReleaseWrites();
    EXPECT_TRUE(WaitUntil([&] { return a->Writes() == 6 && b->Writes() == 6; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(a->Writes(), 6u);
    EXPECT_EQ(a->writes[0], std::vector<uint8_t>(frame, frame + 3));
}

TEST_F(BLEManager, RemotesInUseSurviveTheCutAtThirtyDevices)
{
    // Devices anyone's scan found come first in the system's order; the remotes come last.
    for (int i = 0; i < 40; ++i)
        ble.Add("/dev_" + std::to_string(10 + i), "Speaker " + std::to_string(i), false);
    ble.Add("/dev_90", kAirMouse, false, true);
    ble.Add("/dev_91", kPresenter);
    Start();
    EXPECT_TRUE(Listed("/dev_91", true));
    // The paired one is kept as well, and connected once the system connects it.
    ble.Remove("/dev_90");
    ble.Add("/dev_90", kAirMouse, true, true);
    Pass();
    EXPECT_TRUE(Listed("/dev_90", true));
}

TEST_F(BLEManager, AnEmptyOrFailedEnumerationKeepsTheRemotes)
{
    auto remote = ble.Add("/dev_A", kPresenter);
    Start();
    ASSERT_TRUE(Listed("/dev_A", true));

    testing::internal::CaptureStdout();
    ble.Fail(true);
    Pass();
    // A Bluetooth service that has just come back lists nothing for a moment.
    ble.Fail(false);
    ble.Remove("/dev_A");
    Pass();
    const std::string out = testing::internal::GetCapturedStdout();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(Listed("/dev_A", true));
    EXPECT_EQ(remote->Closes(), 0);
    EXPECT_NE(out.find("Returning cached devices due to enumeration failure"), std::string::npos) << out;
}

TEST_F(BLEManager, ADisconnectionNeverSignalledRemovesTheRemoteAndItComesBack)
{
    auto remote = ble.Add("/dev_A", kPresenter);
    Start();
    ASSERT_TRUE(Listed("/dev_A", true));
    {
        // The system's service restarted: disconnected, and no handler was told.
        std::lock_guard guard(remote->lock);
        remote->connected = false;
    }
    Pass();
    EXPECT_TRUE(Unlisted("/dev_A"));
    EXPECT_EQ(remote->Closes(), 1);
    {
        std::lock_guard guard(remote->lock);
        remote->connected = true;
    }
    Pass();
    EXPECT_TRUE(Listed("/dev_A", true));
    EXPECT_TRUE(remote->notifying);
}

TEST_F(BLEManager, ServicesAreAwaitedAndStoppingCutsTheWaitAndSkipsQueuedConnects)
{
    // Services discovered a moment after the connection: the first connection waits for them.
    auto first = ble.Add("/dev_A", kPresenter);
    first->servicesResolved = false;
    std::thread discovery([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        std::lock_guard guard(first->lock);
        first->servicesResolved = true;
    });
    Start();
    discovery.join();
    EXPECT_TRUE(Listed("/dev_A", true));
    EXPECT_EQ(LogCount("BLE device open fail"), 0u);

    // Remotes whose services never come: the link stops in the middle of the first wait, and
    // the connects queued behind it never reach the system.
    for (const char* id : {"/dev_B", "/dev_C", "/dev_D"})
        ble.Add(id, kAirMouse)->servicesResolved = false;
    const int before = ble.FromIdCalls();
    Pass();
    ASSERT_TRUE(WaitUntil([&] { return ble.FromIdCalls() == before + 1; }));
    manager->Stop();
    EXPECT_EQ(ble.FromIdCalls(), before + 1);
}

TEST_F(BLEManager, AFullReceiveQueueDropsReportsInsteadOfStallingTheHandler)
{
    auto remote = ble.Add("/dev_A", kPresenter);
    Start();
    ASSERT_TRUE(Listed("/dev_A", true));
    std::vector<pMemNode> filler;
    for (;;) {
        pMemNode node = nullptr;
        ASSERT_EQ(Mem_Alloc(&node, 64, __FILE__), 0);
        if (EnRingQ(recvQ, node) != 0) {
            Mem_Free(node, __FILE__, __func__, __LINE__);
            break;
        }
        filler.push_back(node);
    }
    // The handler thread serves every device: a notification must not wait for the decoder.
    auto notified = std::async(std::launch::async, [&] { remote->Notify({KVO_REPORT_ID, 0x03}); });
    EXPECT_EQ(notified.wait_for(std::chrono::seconds(3)), std::future_status::ready);
    EXPECT_TRUE(LogHas("[WARN]", "receive queue full"));
    manager->Stop();
    notified.wait();
    pMemNode nodes[256];
    int count = 0;
    while (DeRingQ(recvQ, nodes, 256, &count) == 0) {
        for (int i = 0; i < count; ++i)
            Mem_Free(nodes[i], __FILE__, __func__, __LINE__);
    }
}

TEST_F(BLEManager, WritesThatSucceedSayNothing)
{
    auto remote = ble.Add("/dev_A", kPresenter);
    Start();
    ASSERT_TRUE(Listed("/dev_A", true));
    testing::internal::CaptureStdout();
    const uint8_t heartbeat[] = {KVO_REPORT_ID, 0xB2, 0x01, 0x50};
    for (int i = 0; i < 3; ++i)
        manager->SendData(heartbeat, 4);
    const bool written = WaitUntil([&] { return remote->Writes() == 3; });
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(written);
    EXPECT_EQ(out.find("Data sent successfully!"), std::string::npos) << out;
}

using BLERoute = BLEManager;

TEST_F(BLERoute, KvoSendDataGoesToBleOnlyWithLinkKindOneAndAConnectedRemote)
{
    auto receiver = fake.AddInterface(ReceiverInterface(0x0178, "/dev/hidraw0"), "usb1");
    ASSERT_EQ(InitHidManager(), 0);
    auto remote = ble.Add("/dev_A", kPresenter, false);
    Start();
    KVOPhysicalDeviceTracker tracker(fake, nullptr, manager.get());
    SetKVOPhysicalDeviceTracker(&tracker);
    tracker.Start();
    const Bytes frame = Frame({0x0A, 0xB2, 0x01, 0xD4}, 8);

    // Link kind 1 without a connected remote: nothing goes anywhere.
    deviceState.linkKind = 1;
    kvo_sendData(frame.data(), 8);
    // Link kind 2: the receiver.
    deviceState.linkKind = 2;
    kvo_sendData(frame.data(), 8);
    EXPECT_EQ(receiver->Writes().size(), 1u);

    ble.Remove("/dev_A");
    remote = ble.Add("/dev_A", kPresenter, true);
    Pass();
    ASSERT_TRUE(Listed("/dev_A", true));
    deviceState.linkKind = 1;
    kvo_sendData(frame.data(), 8);
    EXPECT_TRUE(WaitUntil([&] { return remote->Writes() == 1; }));
    EXPECT_EQ(receiver->Writes().size(), 1u);

    // The tracker stops the link once.
    tracker.StopBLELink();
    EXPECT_EQ(remote->Closes(), 1);
    EXPECT_FALSE(manager->IsReady());
}

} // namespace
