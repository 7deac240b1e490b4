// The device link with its Bluetooth LE link over the real BlueZ backend, against a mock BlueZ on
// a private bus: the remote is found and subscribed, its notifications reach the key handler
// like a receiver's reports, the heartbeat is written to its characteristic with response, and
// a disconnection removes it. The mock also plays what a real bluetoothd does and a bare mock
// does not: services discovered after the connection, a connection never signalled, a restart,
// another client's notifications, a slow answer.

#include "ControllerSet.h"
#include "CPresenterService.h"
#include "FakeHid.h"
#include "KVOBLEDeviceManager.h"
#include "KVOBLENames.h"
#include "KVOControler.h"
#include "KVOCursorSpeedKeeper.h"
#include "KVOFrameHeader.h"
#include "KVOReportDecoder.h"
#include "LockedScreens.h"
#include "MockBlueZ.h"
#include "PoolFixture.h"
#include "RecordingKeyHandler.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>

namespace {

class BleMockBlueZ : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "test_e2e_ble";
        static char* argv[] = {name, nullptr};
        if (QCoreApplication::instance() == nullptr)
            new QCoreApplication(argc, argv);
    }
    void SetUp() override
    {
        const std::string missing = MockBlueZ::Missing();
        if (!missing.empty())
            GTEST_SKIP() << missing << ": the BLE link's end-to-end test needs a mock BlueZ";
        platform::SetHidApi(&hid);
    }
    void TearDown() override
    {
        ExitKVOControler();
        manager.reset();
        api.reset();
        g_bIsInitComplete = false;
        SetKVOControlerEnvironment({});
        platform::SetHidApi(nullptr);
        CPresenterService::DestroyInstance();
        ControllerSet::Destroy();
        KVOCursorSpeedKeeper::DestroyInstance();
    }
    void StartLink()
    {
        api = platform::CreateBlueZBluetoothLE();
        manager = std::make_unique<KVOBLEDeviceManager>(*api);
        KVOControlerEnvironment environment;
        environment.logSink = &sink;
        environment.screens = &screens;
        environment.keyHandler = &keys;
        environment.bleLink = manager.get();
        SetKVOControlerEnvironment(environment);
        InitKVOControler();
        g_bIsInitComplete = true;
    }
    bool LogHas(const std::string& text)
    {
        return WaitUntil([&] { return sink.Text().find(text) != std::string::npos; }, std::chrono::seconds(10));
    }

    MockBlueZ bluez;
    FakeHidApi hid;
    LockedScreens screens{{{0, 0, 1920, 1080}}};
    RecordingKeyHandler keys;
    MemorySink sink;
    std::unique_ptr<platform::IBluetoothLE> api;
    std::unique_ptr<KVOBLEDeviceManager> manager;
};

TEST_F(BleMockBlueZ, RemoteDrivesTheLinkLikeAReceiverAndLeavesOnDisconnect)
{
    const std::string remote = bluez.Start(std::string(kvoble::KVO_BLE_GROUP0_NAMES[0]), 3);
    ASSERT_FALSE(remote.empty());
    StartLink();
    ASSERT_TRUE(LogHas("BLE device WCHBLERegisterReadNotify success with deviceUUID:" + remote)) << sink.Text();

    // Online presenter reports with the do key held and motion (5, -3).
    const std::string online = "notify 0a030000000000000000000000000000";
    const std::string doKey = "notify 0a0300000400" "05fd" "0000000000000000";
    ASSERT_TRUE(bluez.Command(online));
    ASSERT_TRUE(WaitUntil([] { return ControllerSet::Instance().GetDeviceMgr().GetStatus() == DEVICE_STATUS_CONNECTED; }));
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(bluez.Command(doKey));
    EXPECT_TRUE(WaitUntil([&] {
        const auto calls = keys.Calls();
        return std::count(calls.begin(), calls.end(), KeyCall{false, 4, 0, 5, -3}) >= 5;
    }));
    EXPECT_EQ(ControllerSet::Instance().GetDeviceMgr().GetLinkKind(), KVO_LINK_BLE);

    // The periodic heartbeat goes out over the characteristic, written with response.
    EXPECT_TRUE(WaitUntil([&] { return bluez.Writes().find("0ab2") != std::string::npos; }, std::chrono::seconds(5))) << bluez.Writes();
    EXPECT_NE(bluez.Writes().find(" request\n"), std::string::npos);

    ASSERT_TRUE(bluez.Command("disconnect"));
    EXPECT_TRUE(LogHas("BLE device remove with deviceUUID:" + remote));
    EXPECT_TRUE(WaitUntil([&] { return !manager->IsReady(); }));
    // The next passes see it disconnected (BlueZ's change signal reached the device table) and
    // leave it out.
    std::this_thread::sleep_for(std::chrono::milliseconds(2200));
    EXPECT_TRUE(manager->ListedDevices().empty());
    const std::vector<std::string> lines = sink.Lines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.find("BLE device add with") != std::string::npos; }),
              1);
}

TEST_F(BleMockBlueZ, WithoutBlueZTheLinkLogsOnceAndFindsBlueZWhenItComes)
{
    ASSERT_TRUE(bluez.StartBus());
    testing::internal::CaptureStdout();
    api = platform::CreateBlueZBluetoothLE();
    manager = std::make_unique<KVOBLEDeviceManager>(*api);
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    const std::string out = testing::internal::GetCapturedStdout();
    size_t lines = 0;
    for (size_t at = out.find("Enumeration failed: 0x"); at != std::string::npos; at = out.find("Enumeration failed", at + 1))
        ++lines;
    EXPECT_EQ(lines, 1u) << out;
    EXPECT_NE(out.find("org.freedesktop.DBus.Error.ServiceUnknown"), std::string::npos) << out;

    // BlueZ starts later: the next passes find its remote.
    ASSERT_FALSE(bluez.Start(std::string(kvoble::KVO_BLE_GROUP0_NAMES[0])).empty());
    EXPECT_TRUE(WaitUntil([&] { return manager->IsReady(); }, std::chrono::seconds(5)));
}

TEST_F(BleMockBlueZ, ServicesDiscoveredAfterTheConnectionAreAwaited)
{
    const std::string remote = bluez.Start(std::string(kvoble::KVO_BLE_GROUP0_NAMES[0]), 0, {"--late-services"});
    ASSERT_FALSE(remote.empty());
    StartLink();
    ASSERT_TRUE(LogHas("BLE device add with deviceUUID:" + remote));
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    ASSERT_TRUE(bluez.Command("resolve"));
    EXPECT_TRUE(LogHas("BLE device WCHBLERegisterReadNotify success with deviceUUID:" + remote)) << sink.Text();
    EXPECT_EQ(sink.Text().find("BLE device open fail"), std::string::npos) << sink.Text();
}

TEST_F(BleMockBlueZ, ConnectionBlueZNeverSignalledIsFoundOnceItsServicesAppear)
{
    const std::string remote = bluez.Start(std::string(kvoble::KVO_BLE_GROUP0_NAMES[0]), 0, {"--disconnected"});
    ASSERT_FALSE(remote.empty());
    StartLink();
    // Passes that see it disconnected fill the backend's table.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    ASSERT_TRUE(bluez.Command("silent-connect"));
    EXPECT_TRUE(LogHas("BLE device WCHBLERegisterReadNotify success with deviceUUID:" + remote)) << sink.Text();
}

TEST_F(BleMockBlueZ, AfterBlueZRestartsTheRemoteIsSubscribedAgain)
{
    const std::string remote = bluez.Start(std::string(kvoble::KVO_BLE_GROUP0_NAMES[0]));
    ASSERT_FALSE(remote.empty());
    StartLink();
    const std::string subscribed = "BLE device WCHBLERegisterReadNotify success with deviceUUID:" + remote;
    ASSERT_TRUE(LogHas(subscribed));
    // The old BlueZ goes without a word about its connections; the new one has the remote
    // connected from its start.
    bluez.EndMock();
    ASSERT_EQ(bluez.Start(std::string(kvoble::KVO_BLE_GROUP0_NAMES[0])), remote);
    EXPECT_TRUE(WaitUntil([&] {
        const std::vector<std::string> lines = sink.Lines();
        return std::count_if(lines.begin(), lines.end(),
                             [&](const std::string& l) { return l.find(subscribed) != std::string::npos; }) >= 2;
    }, std::chrono::seconds(10))) << sink.Text();
    // The new BlueZ holds our session: its notifications reach the decoder.
    ASSERT_TRUE(bluez.Command("notify 0a030000000000000000000000000000"));
    EXPECT_TRUE(WaitUntil([] { return ControllerSet::Instance().GetDeviceMgr().GetStatus() == DEVICE_STATUS_CONNECTED; }));
}

TEST_F(BleMockBlueZ, NotificationsAnotherClientTurnedOnStillGetOurOwnSession)
{
    const std::string remote = bluez.Start(std::string(kvoble::KVO_BLE_GROUP0_NAMES[0]), 0, {"--notifying"});
    ASSERT_FALSE(remote.empty());
    StartLink();
    ASSERT_TRUE(LogHas("BLE device WCHBLERegisterReadNotify success with deviceUUID:" + remote));
    EXPECT_TRUE(WaitUntil([&] { return bluez.Writes().find("start-notify") != std::string::npos; })) << bluez.Writes();
}

TEST_F(BleMockBlueZ, StoppingWithARemoteConnectedNeverWaitsForBlueZ)
{
    const std::string remote = bluez.Start(std::string(kvoble::KVO_BLE_GROUP0_NAMES[0]), 0, {"--slow-stop", "3"});
    ASSERT_FALSE(remote.empty());
    StartLink();
    ASSERT_TRUE(LogHas("BLE device WCHBLERegisterReadNotify success with deviceUUID:" + remote));
    const auto start = std::chrono::steady_clock::now();
    manager->Stop();
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::milliseconds(1000));
    // The session was still ended.
    EXPECT_TRUE(WaitUntil([&] { return bluez.Writes().find("stop-notify") != std::string::npos; },
                          std::chrono::seconds(5))) << bluez.Writes();
}

} // namespace
