// The link as a whole: the display watch, and start and stop of every link thread.

#include "CPresenterService.h"
#include "ControllerSet.h"
#include "KVOControler.h"
#include "KVOCursorSpeedKeeper.h"
#include "KVOHidThreadManager.h"
#include "KVOLog.h"
#include "KVOReportDecoder.h"
#include "LockedScreens.h"
#include "PoolFixture.h"
#include "ProtocolCmdDef.h"
#include "RecordingRunner.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <dirent.h>

namespace {

int ThreadCount()
{
    int count = 0;
    if (DIR* dir = opendir("/proc/self/task")) {
        while (const dirent* entry = readdir(dir))
            count += entry->d_name[0] != '.' ? 1 : 0;
        closedir(dir);
    }
    return count;
}

class DeviceWatchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ControllerSet::Instance().GetFunctionMgr().SetCommandRunner(&runner);
        g_bIsReboot = false;
    }
    void TearDown() override
    {
        ControllerSet::Destroy();
        g_bIsReboot = false;
    }
    LockedScreens screens{{{0, 0, 1920, 1080}}};
    RecordingRunner runner;
    int storedCount = 1;
};

TEST_F(DeviceWatchTest, DisplayChangeStopsTheFunctionAndDropsReportsForOnePeriod)
{
    KVODeviceWatchHooks hooks;
    hooks.getMonitorCount = [this] { return storedCount; };
    hooks.setMonitorCount = [this](int count) { storedCount = count; };
    KVODeviceWatch watch(&screens, hooks);
    watch.Begin();
    watch.Step();
    EXPECT_FALSE(g_bIsReboot);

    screens.Set({{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}});
    watch.Step();
    EXPECT_TRUE(g_bIsReboot);
    EXPECT_EQ(storedCount, 2);
    const auto commands = runner.WaitFor(1);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].cmdId, CMD_STOP_FUNCTION);
    EXPECT_EQ(commands[0].command.restoreFirst, 1);

    watch.Step();
    EXPECT_FALSE(g_bIsReboot);

    // Same count, other size (a resolution change) counts as well.
    screens.Set({{0, 0, 1920, 1080}, {1920, 0, 2560, 1440}});
    watch.Step();
    EXPECT_TRUE(g_bIsReboot);
    EXPECT_EQ(runner.WaitFor(2).size(), 2u);
}

TEST_F(DeviceWatchTest, CountChangedInTheStoreIsNoticed)
{
    KVODeviceWatchHooks hooks;
    hooks.getMonitorCount = [this] { return storedCount; };
    hooks.setMonitorCount = [this](int count) { storedCount = count; };
    KVODeviceWatch watch(&screens, hooks);
    watch.Begin();
    storedCount = 3;
    watch.Step();
    EXPECT_TRUE(g_bIsReboot);
    EXPECT_EQ(storedCount, 1);
}

class ControlerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("XDG_DATA_HOME", dataHome.path().c_str(), 1);
        KVOControlerEnvironment environment;
        environment.logSink = &sink;
        environment.screens = &screens;
        SetKVOControlerEnvironment(environment);
    }
    void TearDown() override
    {
        SetKVOControlerEnvironment({});
        CPresenterService::DestroyInstance();
        ControllerSet::Destroy();
        KVOCursorSpeedKeeper::DestroyInstance();
    }
    TempDir dataHome;
    LockedScreens screens{{{0, 0, 1920, 1080}}};
    MemorySink sink;
};

TEST_F(ControlerTest, ExitEndsEveryLinkThreadAndASecondExitDoesNothing)
{
    // The managers' own workers are not link threads; they exist before and after.
    ControllerSet::Instance().GetDeviceMgr().StartThread();
    CPresenterService::GetInstance();
    const int before = ThreadCount();

    InitKVOControler();
    ASSERT_TRUE(IsKVOControlerRunning());
    // Log writer, device watch, HID writer and reader, heartbeat, decoder, motion, speed watcher.
    EXPECT_GE(ThreadCount(), before + 8);
    EXPECT_TRUE(g_bLinkRunning);

    ExitKVOControler();
    EXPECT_FALSE(IsKVOControlerRunning());
    EXPECT_FALSE(g_bLinkRunning);
    EXPECT_EQ(ThreadCount(), before);
    EXPECT_EQ(GetDataQueue(KVO_SEND_QUEUE), nullptr);
    const std::string text = sink.Text();
    EXPECT_NE(text.find("InitKVOControler() call InitHidManager() End"), std::string::npos);
    EXPECT_NE(text.find("ExitKVOControler() Statr"), std::string::npos);
    // Lines queued right before the writer closed are written, not discarded.
    EXPECT_NE(text.find("ThreadMoveThread() break"), std::string::npos);

    ExitKVOControler();
    EXPECT_EQ(sink.Text(), text);
    EXPECT_EQ(ThreadCount(), before);

    // The link can come up again after a full stop.
    InitKVOControler();
    EXPECT_TRUE(IsKVOControlerRunning());
    ExitKVOControler();
    EXPECT_EQ(ThreadCount(), before);
}

} // namespace
