#include "KVOOperationsManager.h"
#include "LinkFixture.h"
#include "ProtocolCmdDef.h"
#include "RecordingRunner.h"

#include <thread>

namespace {

Bytes Frame(std::initializer_list<uint8_t> head, size_t length)
{
    Bytes frame(head);
    frame.resize(length, 0);
    return frame;
}

using ProtocolTest = LinkFixture;

TEST_F(ProtocolTest, MotorFrameCarriesTimeInTenMsUnitsAndDuty)
{
    EXPECT_EQ(SendMotorCmdFunc(1500, 2), 1);
    EXPECT_EQ(SendMotorCmdFunc(100000, 0), 1);  // 10000 = 0x2710; unknown intensity: weakest duty
    EXPECT_EQ(SendMotorCmdFunc(30, 4), 1);
    const auto frames = TakeFrames();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0], Frame({0x0A, 0xB2, 0x01, 0xD2, 0x96, 0x00, 0x32}, 16));
    EXPECT_EQ(frames[1], Frame({0x0A, 0xB2, 0x01, 0xD2, 0x10, 0x27, 10}, 16));
    EXPECT_EQ(frames[2], Frame({0x0A, 0xB2, 0x01, 0xD2, 0x03, 0x00, 10}, 16));
    EXPECT_EQ(MotorDuty(1), 30);
    EXPECT_EQ(MotorDuty(3), 70);
}

TEST_F(ProtocolTest, TimeOutFrameIsEightBytesAndOnlyWithAnOpenReceiver)
{
    EXPECT_TRUE(SendTimeOutCmdFunc(600000, 10000));
    EXPECT_TRUE(TakeFrames().empty());

    OpenReceiver();
    EXPECT_TRUE(SendTimeOutCmdFunc(600000, 10000));
    const auto frames = TakeFrames();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], (Bytes{0x0A, 0xB2, 0x01, 0xD4, 0x60, 0xEA, 0xE8, 0x03}));
    EXPECT_NE(LogText().find("SendTimeOutCmdFunc() Call g_commandhid = NULL !"), std::string::npos);
}

TEST_F(ProtocolTest, HeartbeatAndSensitivityKeepTheLowByteOfEachValue)
{
    SendHeartCommand(2, 1);
    EXPECT_EQ(SendSensitivityCmdFunc(300, 100), 1);
    const auto frames = TakeFrames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], Frame({0x0A, 0xB2, 0x01, 0x50, 0x02, 0x01}, 16));
    EXPECT_EQ(frames[1], Frame({0x0A, 0xB2, 0x01, 0xD3, 0x2C, 100}, 16));
}

TEST_F(ProtocolTest, EveryFrameTargetsTwoForAWirelessMouse)
{
    Device().SetDevType(KVO_WIRLESS_MOUSE);
    OpenReceiver();
    SendHeartCommand(0, 0);
    SendMotorCmdFunc(100, 1);
    SendSensitivityCmdFunc(40, 20);
    SendTimeOutCmdFunc(1000, 1000);
    const auto frames = TakeFrames();
    ASSERT_EQ(frames.size(), 4u);
    for (const Bytes& frame : frames)
        EXPECT_EQ(frame[2], 2);

    Device().SetDevType(KVO_WIRED_MOUSE);
    SendHeartCommand(0, 0);
    EXPECT_EQ(TakeFrames().at(0)[2], 1);
}

TEST_F(ProtocolTest, NoSendQueueMeansFailureAndTheNodeGoesBack)
{
    DestroyDataQueueMgr();
    const int frameClass = Mem_ClassForSize(KVO_FRAME_NODE_SIZE);
    EXPECT_EQ(SendMotorCmdFunc(100, 1), 0);
    EXPECT_EQ(SendSensitivityCmdFunc(10, 100), 0);
    EXPECT_EQ(Mem_FreeCount(frameClass), Mem_CreatedCount(frameClass));
    ASSERT_EQ(CreateDataQueueMgr(), 0);  // for the fixture's teardown
}

TEST_F(ProtocolTest, PeriodicHeartbeatCarriesTheMouseModeAndEndsWithTheLink)
{
    Device().SetMouseMode(1);
    Device().SetHeartBan(1);  // the periodic heartbeat never bans
    // On the real clock, so the thread paces itself and cannot fill the send queue.
    platform::SetClock(nullptr);
    g_bLinkRunning = true;
    std::thread heart(ThreadSendCmdFunc, GetDataQueue(KVO_SEND_QUEUE));
    const bool two = WaitUntil([] { return RingQCount(GetDataQueue(KVO_SEND_QUEUE)) >= 2; });
    g_bLinkRunning = false;
    heart.join();
    platform::SetClock(&clock.clock);
    ASSERT_TRUE(two);
    const auto frames = TakeFrames();
    ASSERT_GE(frames.size(), 2u);
    for (const Bytes& frame : frames)
        EXPECT_EQ(frame, Frame({0x0A, 0xB2, 0x01, 0x50, 0x01, 0x00}, 16));
}

TEST(SensitivityTest, SpeedMapsByDeviceAndModelBit)
{
    EXPECT_EQ(SensitivityValue(KVO_PRESENTER, 1, 40), 37);
    EXPECT_EQ(SensitivityValue(KVO_PRESENTER, 0, 40), 70);
    EXPECT_EQ(SensitivityValue(KVO_PRESENTER, 1, 0), 15);
    EXPECT_EQ(SensitivityValue(KVO_PRESENTER, 1, 80), 60);
    EXPECT_EQ(SensitivityValue(KVO_WIRLESS_MOUSE, 1, 40), 39);
    EXPECT_EQ(SensitivityValue(KVO_WIRLESS_MOUSE, 1, 80), 63);
    EXPECT_EQ(SensitivityValue(KVO_WIRLESS_MOUSE, 0, 40), 160);
}

uint32_t g_posted = 0;

TEST_F(ProtocolTest, SyncSendsTimeOutsAndSensitivityToAPresenter)
{
    SetCursorSpeedSource([] { return 40; });
    SetMainWindowPoster([](uint32_t message) { g_posted = message; });
    OpenReceiver();
    Device().SetModelBit(1);
    SynchDeviceParamters(KVO_PRESENTER);
    Device().SetModelBit(0);
    SynchDeviceParamters(KVO_PRESENTER);
    const auto frames = TakeFrames();
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[0], (Bytes{0x0A, 0xB2, 0x01, 0xD4, 0x60, 0xEA, 0xE8, 0x03}));
    EXPECT_EQ(frames[1], Frame({0x0A, 0xB2, 0x01, 0xD3, 37, 100}, 16));
    EXPECT_EQ(frames[3], Frame({0x0A, 0xB2, 0x01, 0xD3, 70, 100}, 16));
    EXPECT_EQ(g_posted, KVO_MSG_DEVICE_PRESENT);
}

TEST_F(ProtocolTest, SyncSendsOnlySensitivityToAWirelessMouseAndNothingToAWiredOne)
{
    SetCursorSpeedSource([] { return 40; });
    OpenReceiver();
    Device().SetDevType(KVO_WIRLESS_MOUSE);
    Device().SetModelBit(0);
    SynchDeviceParamters(KVO_WIRLESS_MOUSE);
    SynchDeviceParamters(KVO_WIRED_MOUSE);
    const auto frames = TakeFrames();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], Frame({0x0A, 0xB2, 0x02, 0xD3, 160, 20}, 16));
    EXPECT_NE(LogText().find("ConnectToDevice() Error DevType:2"), std::string::npos);
}

TEST_F(ProtocolTest, ConnectTimeOutOfAConnectedDeviceStopsTheFunction)
{
    RecordingRunner runner;
    ControllerSet::Instance().GetFunctionMgr().SetCommandRunner(&runner);
    ConnectTimeOut(KVO_PRESENTER);  // not connected: nothing happens
    Device().SetStatus(DEVICE_STATUS_CONNECTED);
    Device().SetMouseMode(2);
    Device().SetCharging(1);
    ConnectTimeOut(KVO_PRESENTER);

    EXPECT_EQ(Device().GetStatus(), DEVICE_STATUS_DISCONNECTED);
    EXPECT_EQ(Device().GetMouseMode(), 0);
    EXPECT_EQ(Device().GetCharging(), 0);
    const auto ran = runner.WaitFor(1);
    ASSERT_EQ(ran.size(), 1u);
    EXPECT_EQ(ran[0].cmdId, CMD_STOP_FUNCTION);
    EXPECT_EQ(ran[0].command.restoreFirst, 1);
    ControllerSet::Destroy();  // joins the worker while the runner still exists
}

} // namespace
