// The link as a whole: the display watch, and start and stop of every link thread.

#include "CPresenterService.h"
#include "ControllerSet.h"
#include "KVOControler.h"
#include "KVOCursorMotion.h"
#include "KVOCursorSpeedKeeper.h"
#include "KVOHidThreadManager.h"
#include "KVOLog.h"
#include "KVOReportDecoder.h"
#include "LockedScreens.h"
#include "PoolFixture.h"
#include "ProtocolCmdDef.h"
#include "RecordingRunner.h"
#include "TempDir.h"

#include "ObjectManager.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <future>
#include <thread>

namespace {

int ThreadCount();

// The threads of the test program before the link starts. A sanitizer runtime may start a thread
// of its own with the program's first thread, so one is started first and both sides count it.
int BaselineThreadCount()
{
    std::thread([] {}).join();
    return ThreadCount();
}

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

// True when `step` returns within `limit`. A step that hangs ends the test program: it holds the
// link's locks, so nothing after it could run.
bool EndsWithin(void (*step)(), std::chrono::milliseconds limit)
{
    std::packaged_task<void()> task(step);
    std::future<void> done = task.get_future();
    std::thread runner(std::move(task));
    if (done.wait_for(limit) == std::future_status::ready) {
        runner.join();
        return true;
    }
    ADD_FAILURE() << "still running after " << limit.count() << " ms";
    std::fprintf(stderr, "hung; ending the test program\n");
    std::_Exit(1);
}

// A key handler whose first event takes a while, as a slow key action would.
class StallingKeyHandler final : public IKVOKeyHandler {
public:
    static constexpr auto kStall = std::chrono::milliseconds(250);
    void DealWithPresenterKeyValue(uint8_t, int, int) override
    {
        if (m_entered.exchange(true))
            return;
        std::this_thread::sleep_for(kStall);
    }
    void DealWithMouseKeyValue(uint8_t, uint8_t, int, int) override {}
    bool WaitEntered()
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!m_entered && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return m_entered;
    }

private:
    std::atomic<bool> m_entered{false};
};

// A presenter report with the do key, as the decoder queues it.
bool OfferDoKey(ObjectManager& motion)
{
    cmdInfo* record = motion.getObj();
    if (record == nullptr)
        return false;
    std::memset(record->data.get(), 0, KVO_REPORT_BYTES);
    record->data[KVO_REPORT_KEY] = 4;
    record->dataLength = KVO_REPORT_BYTES;
    return motion.offerObjNoWait(record) == 0;
}

// The configuration store as the device manager's worker reads it, slow enough that a second
// command is still queued when the link is asked to stop.
std::atomic<int> g_speedReads{0};
int SlowCursorSpeed()
{
    ++g_speedReads;
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    return 40;
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
        environment.keyHandler = &keys;
        SetKVOControlerEnvironment(environment);
    }
    void TearDown() override
    {
        SetKVOControlerEnvironment({});
        SetCursorSpeedSource(nullptr);
        CPresenterService::DestroyInstance();
        ControllerSet::Destroy();
        KVOCursorSpeedKeeper::DestroyInstance();
    }
    TempDir dataHome;
    LockedScreens screens{{{0, 0, 1920, 1080}}};
    MemorySink sink;
    StallingKeyHandler keys;
};

TEST_F(ControlerTest, ExitEndsEveryLinkThreadAndASecondExitDoesNothing)
{
    // Nothing of the link or the managers exists yet.
    const int before = BaselineThreadCount();

    InitKVOControler();
    ASSERT_TRUE(IsKVOControlerRunning());
    // Log writer, device watch, HID writer and reader, heartbeat, decoder, motion, speed watcher,
    // and the managers' three workers.
    EXPECT_GE(ThreadCount(), before + 11);
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

// The motion thread stopped taking while the decoder filled its queue: the exit record still
// gets in, and stale motion is not handed to the key handling any more.
TEST_F(ControlerTest, ExitWithAFullMotionQueueEndsPromptly)
{
    const int before = BaselineThreadCount();
    InitKVOControler();
    DeviceMgr& device = ControllerSet::Instance().GetDeviceMgr();
    device.SetDevType(KVO_PRESENTER);
    device.SetStatus(DEVICE_STATUS_CONNECTED);
    ObjectManager& motion = MovePosQueue();
    ASSERT_TRUE(OfferDoKey(motion));
    ASSERT_TRUE(keys.WaitEntered());
    while (OfferDoKey(motion)) {
    }
    ASSERT_EQ(motion.queueSize(), KVO_MOVEPOS_CAPACITY);

    EXPECT_TRUE(EndsWithin(&ExitKVOControler, std::chrono::seconds(1)));
    EXPECT_EQ(motion.queueSize(), 0);
    EXPECT_EQ(ThreadCount(), before);
}

// The device manager's worker runs a parameter sync with another one queued when the program
// closes: both finish before the pool and the queues go, and the worker is joined.
TEST_F(ControlerTest, ExitWhileADeviceCommandIsQueuedRunsItAndLeavesNoThreadBehind)
{
    const int before = BaselineThreadCount();
    g_speedReads = 0;
    SetCursorSpeedSource(&SlowCursorSpeed);
    InitKVOControler();
    DeviceMgr& device = ControllerSet::Instance().GetDeviceMgr();
    device.PushCmd(CMD_SYNC_PARAMETERS, KVO_PRESENTER);
    device.PushCmd(CMD_SYNC_PARAMETERS, KVO_PRESENTER);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (g_speedReads == 0 && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(g_speedReads, 1);

    ExitKVOControler();
    EXPECT_EQ(ThreadCount(), before);
    EXPECT_EQ(g_speedReads, 2);
    const std::string text = sink.Text();
    const size_t first = text.find("SynchDeviceParamters() presenter speed:70");
    ASSERT_NE(first, std::string::npos) << text;
    EXPECT_NE(text.find("SynchDeviceParamters() presenter speed:70", first + 1), std::string::npos);
    // Both syncs ran before the exit heartbeat, which is the last frame queued.
    EXPECT_LT(text.rfind("SendSensitivityCmdFunc() DPI:70"), text.find("SendHeartCommand() Mode1 = 0 Model2 = 0"));
}

} // namespace
