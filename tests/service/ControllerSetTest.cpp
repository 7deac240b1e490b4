#include "CPresenterService.h"
#include "ControllerSet.h"
#include "FakeClock.h"
#include "ProtocolCmdDef.h"
#include "RecordingRunner.h"

#include <gtest/gtest.h>

namespace {

TEST(ControllerSetTest, CreatedOnFirstUseFromTheProgramsEnvironment)
{
    std::vector<std::string> journal;
    ControllerSet::SetEnvironment({
        [&] {
            EffectSet effects;
            effects[EFFECT_MAGNIFIER] = std::make_unique<RecordingEffect>("magnifier", journal);
            return effects;
        },
        [] { return EffectRect{0, 0, 1920, 1080}; },
        [] { return EffectPoint{5, 6}; },
    });
    EXPECT_EQ(ControllerSet::Existing(), nullptr);
    EXPECT_EQ(ExistingDeviceMgr(), nullptr);

    ControllerSet& set = ControllerSet::Instance();
    EXPECT_EQ(&ControllerSet::Instance(), &set);
    EXPECT_EQ(ControllerSet::Existing(), &set);
    EXPECT_EQ(ExistingDeviceMgr(), &set.GetDeviceMgr());
    EXPECT_EQ(set.GetFunctionMgr().GetDeviceMgr(), &set.GetDeviceMgr());
    EXPECT_NE(set.GetFunctionMgr().Effect(FUNCTION_MAGNIFIER), nullptr);
    EXPECT_EQ(set.GetFunctionMgr().GetVirtualPoint().x, 960);
    EXPECT_EQ(set.GetFunctionMgr().m_LastCursorPos.y, 6);

    ControllerSet::Destroy();
    EXPECT_EQ(ControllerSet::Existing(), nullptr);
    ControllerSet::SetEnvironment({});
}

TEST(ControllerSetTest, PresenterServiceIsASingletonStampedWithTheClock)
{
    ScopedFakeClock clock(123456);
    CPresenterService& service = CPresenterService::GetInstance();
    EXPECT_EQ(&CPresenterService::GetInstance(), &service);
    EXPECT_EQ(service.LastOpenTime(), 123456u);

    ControllerSet& set = ControllerSet::Instance();
    service.SetManagers(&set.GetFunctionMgr(), &set.GetDeviceMgr());
    EXPECT_EQ(service.GetDeviceMgr(), &set.GetDeviceMgr());

    CPresenterService::DestroyInstance();
    ControllerSet::Destroy();
    clock.clock.Advance(10);
    EXPECT_EQ(CPresenterService::GetInstance().LastOpenTime(), 123466u);  // a new instance
    CPresenterService::DestroyInstance();
}

// At exit the workers are stopped before what they use goes away: what was queued still runs,
// what comes later is dropped instead of blocking its producer on a queue nobody takes from.
TEST(ControllerSetTest, StoppedWorkersFinishTheirQueueThenDropCommandsUntilRestarted)
{
    ControllerSet& set = ControllerSet::Instance();
    RecordingRunner runner;
    FunctionMgr& functions = set.GetFunctionMgr();
    DeviceMgr& device = set.GetDeviceMgr();
    functions.SetCommandRunner(&runner);
    set.StartWorkers();
    for (int i = 0; i < 20; ++i)
        functions.PushPlayOrStopCmd(CMD_KEY_MSM, 0, std::make_unique<FunctionCommand>());
    functions.PushCmd(0, CMD_SLIDESHOW, nullptr);
    device.PushCmd(CMD_DEVICE_CONNECTED, 1);

    set.StopWorkers();
    EXPECT_EQ(runner.WaitFor(0).size(), 21u);
    EXPECT_EQ(device.GetStatus(), DEVICE_STATUS_CONNECTED);

    functions.StopFunction(1);
    functions.PushCmd(0, CMD_SLIDESHOW, nullptr);
    device.PushCmd(CMD_CONNECT_TIMEOUT, 1);
    EXPECT_EQ(functions.PlayOrStopQueue().queueSize(), 0);
    EXPECT_EQ(functions.ServiceQueue().queueSize(), 0);
    EXPECT_EQ(device.CommandQueue().queueSize(), 0);

    set.StartWorkers();
    functions.StopFunction(1);
    const auto commands = runner.WaitFor(22);
    ASSERT_EQ(commands.size(), 22u);
    EXPECT_EQ(commands.back().cmdId, CMD_STOP_FUNCTION);
    functions.SetCommandRunner(nullptr);
    ControllerSet::Destroy();
}

} // namespace
