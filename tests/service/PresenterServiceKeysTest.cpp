#include "CPresenterService.h"
#include "ConfigManager.h"
#include "DeviceMgr.h"
#include "FakeClock.h"
#include "FakeCursor.h"
#include "FakeDesktopWindows.h"
#include "KeyTestDoubles.h"
#include "ProtocolCmdDef.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <thread>

namespace {

constexpr int kMarker = 99;

struct Pushed {
    int cmdId;
    FunctionCommand command;
};

// Records what reaches the two workers. Drain() sends a marker through each queue, so everything
// pushed before it has been seen when it returns: the play/stop commands first, then the service
// commands (the two workers run independently, so only the order within a queue is fixed).
class QueueRecorder final : public IFunctionCommandRunner {
public:
    void RunPlayOrStop(int cmdId, int devType, FunctionCommand& command) override
    {
        Add(m_playOrStop, cmdId, devType, command);
    }
    void RunServiceCommand(int cmdId, int devType) override { Add(m_service, cmdId, devType, FunctionCommand{}); }

    std::vector<Pushed> Drain(FunctionMgr& manager)
    {
        manager.PushPlayOrStopCmd(CMD_KEY_MSM, kMarker, std::make_unique<FunctionCommand>());
        manager.PushCmd(kMarker, CMD_SLIDESHOW, nullptr);
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return m_markers == 2; });
        m_markers = 0;
        std::vector<Pushed> pushed = std::exchange(m_playOrStop, {});
        pushed.insert(pushed.end(), m_service.begin(), m_service.end());
        m_service.clear();
        return pushed;
    }
    size_t Count()
    {
        std::lock_guard lock(m_mutex);
        return m_playOrStop.size() + m_service.size();
    }

private:
    void Add(std::vector<Pushed>& into, int cmdId, int devType, const FunctionCommand& command)
    {
        {
            std::lock_guard lock(m_mutex);
            if (devType == kMarker)
                ++m_markers;
            else
                into.push_back({cmdId, command});
        }
        m_changed.notify_all();
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Pushed> m_playOrStop;
    std::vector<Pushed> m_service;
    int m_markers = 0;
};

std::vector<int> Ids(const std::vector<Pushed>& pushed)
{
    std::vector<int> ids;
    for (const Pushed& p : pushed)
        ids.push_back(p.cmdId);
    return ids;
}

class PresenterServiceKeysTest : public ::testing::Test {
protected:
    PresenterServiceKeysTest() : manager(MakeShowingEffects(effects), EffectRect{0, 0, 1920, 1080}, EffectPoint{})
    {
        manager.SetDeviceMgr(&deviceMgr);
        service = &CPresenterService::GetInstance();
        PresenterEnvironment& environment = service->Environment();
        environment.SetConfig(&config);
        environment.SetCursor(&cursor);
        environment.SetSettingsWindow(&settingsWindow);
        environment.SetForegroundWindow(&foreground);
        environment.SetActions(&actions);
        environment.SetHeartSender(&RecordHeart);
        service->SetManagers(&manager, &deviceMgr);
        // Commands are recorded here instead of run; Move still goes through the service's runner.
        manager.SetCommandRunner(&recorder);
        TakeHeartFrames();
    }
    ~PresenterServiceKeysTest() override { CPresenterService::DestroyInstance(); }

    void Presenter(uint8_t key, KeyDelta delta = {}) { service->DealWithPresenterKeyValue(key, delta); }
    void Mouse(uint8_t key, uint8_t button, KeyDelta delta = {}) { service->DealWithMouseKeyValue(key, button, delta); }
    std::vector<Pushed> Drain() { return recorder.Drain(manager); }
    void ShowSpotlight()
    {
        manager.SetCurrentFunction(FUNCTION_SPOTLIGHT);
        manager.SetFunctionState(FUNCTION_STATE_RUNNING);
    }

    ScopedFakeClock clock{100000};
    Journal effects;
    QueueRecorder recorder;
    DeviceMgr deviceMgr;
    FunctionMgr manager;
    CConfigManager config;
    FakeCursor cursor{{500, 500}};
    FakeSettingsWindow settingsWindow;
    FakeForegroundWindow foreground;
    RecordingActions actions;
    CPresenterService* service = nullptr;
};

TEST_F(PresenterServiceKeysTest, HoldingPageUpTogglesTheSlideShowForEveryEventAfterOneSecond)
{
    Presenter(1);
    clock.clock.Advance(500);
    Presenter(1);
    clock.clock.Advance(501);
    Presenter(1);
    clock.clock.Advance(20);
    Presenter(1);
    const std::vector<Pushed> pushed = Drain();
    ASSERT_EQ(Ids(pushed), (std::vector<int>{CMD_KEY_MSM, CMD_SLIDESHOW, CMD_SLIDESHOW}));
    EXPECT_EQ(pushed[0].command.key, 1);
    EXPECT_EQ(pushed[0].command.keyFlag, 1);
    EXPECT_EQ(pushed[0].command.restoreFirst, 1);

    Presenter(0);
    Presenter(1);
    EXPECT_EQ(Ids(Drain()), (std::vector<int>{CMD_KEY_MSM}));  // a new hold starts over
}

TEST_F(PresenterServiceKeysTest, ReleasingTheDoKeyStopsTheEffectButNotThePen)
{
    manager.SetCurrentFunction(FUNCTION_ANNOTATION);
    Presenter(4);
    Presenter(4);
    Presenter(0);
    EXPECT_EQ(Ids(Drain()), (std::vector<int>{CMD_PLAY_FUNCTION}));

    manager.SetCurrentFunction(FUNCTION_DIGITAL_LASER);
    Presenter(4);
    Presenter(0);
    Presenter(0);
    const std::vector<Pushed> pushed = Drain();
    ASSERT_EQ(Ids(pushed), (std::vector<int>{CMD_PLAY_FUNCTION, CMD_STOP_FUNCTION}));
    EXPECT_EQ(pushed[0].command.nSwtichMouseMode, 1);
    EXPECT_EQ(pushed[0].command.hideSettingsWindow, 1);
    EXPECT_EQ(pushed[1].command.restoreFirst, 0);
}

TEST_F(PresenterServiceKeysTest, SizeStepsComeAtMostOncePerFiftyMilliseconds)
{
    Mouse(0, 72);
    clock.clock.Advance(30);
    Mouse(0, 72);
    clock.clock.Advance(20);
    Mouse(0, 136);
    const std::vector<Pushed> pushed = Drain();
    ASSERT_EQ(pushed.size(), 2u);
    EXPECT_EQ(pushed[0].command.key, 72);
    EXPECT_EQ(pushed[0].command.effectAction, 1);
    EXPECT_EQ(pushed[0].command.nSwtichMouseMode, 2);
    EXPECT_EQ(pushed[1].command.key, 136);
    EXPECT_EQ(pushed[1].command.effectAction, 2);
}

TEST_F(PresenterServiceKeysTest, RepeatWorkerStepsWhileDoAndPageUpIsHeldAndStopsAtRelease)
{
    Presenter(5);
    Presenter(5);  // still one worker
    for (int i = 0; i < 5000 && recorder.Count() < 3; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    Presenter(0);
    EXPECT_FALSE(service->IsRepeatRunning());
    const std::vector<Pushed> pushed = Drain();
    ASSERT_GE(pushed.size(), 3u);
    for (const Pushed& p : pushed) {
        EXPECT_EQ(p.cmdId, CMD_KEY_MSM);
        EXPECT_EQ(p.command.effectAction, 1);
    }
    EXPECT_TRUE(Drain().empty());
}

TEST_F(PresenterServiceKeysTest, MouseEventWithPageDownAndAnIgnoredButtonDoesNothingAtAll)
{
    ShowSpotlight();
    Mouse(2, 64, {5, 5});
    Mouse(2, 128, {5, 5});
    EXPECT_TRUE(Drain().empty());
    EXPECT_TRUE(effects.Entries().empty());

    Mouse(2, 0, {5, 5});  // plain page down on a mouse: its custom action, and the effect follows
    const std::vector<Pushed> pushed = Drain();
    ASSERT_EQ(pushed.size(), 1u);
    EXPECT_EQ(pushed[0].command.subKey, 2);
    EXPECT_EQ(actions.journal.Entries(), (std::vector<std::string>{"MouseCustom(2)"}));
    EXPECT_EQ(effects.Entries(), (std::vector<std::string>{"spotlight.Move(965,545)"}));
}

TEST_F(PresenterServiceKeysTest, MouseDoButtonPlaysAndMovesAsTheDoKey)
{
    ShowSpotlight();
    Mouse(0, 8, {4, 0});
    Mouse(0, 8, {4, 0});
    const std::vector<Pushed> pushed = Drain();
    ASSERT_EQ(Ids(pushed), (std::vector<int>{CMD_PLAY_FUNCTION}));
    EXPECT_EQ(pushed[0].command.subKey, 8);
    EXPECT_EQ(pushed[0].command.keyFlag, 1);
    EXPECT_EQ(effects.Entries(), (std::vector<std::string>{"spotlight.Move(964,540)", "spotlight.Move(968,540)"}));
}

TEST_F(PresenterServiceKeysTest, FunctionKeyCombinationsBlockRightKeyKey6AndMirror)
{
    Presenter(9);
    Presenter(9);
    EXPECT_EQ(actions.journal.Entries(), (std::vector<std::string>{"FunAndUp(1)"}));
    clock.clock.Advance(2000);
    Mouse(0, 1);
    Mouse(0, 4);
    Mouse(0, 32);
    EXPECT_TRUE(Drain().empty());

    Mouse(0, 0);
    Mouse(0, 1);
    Mouse(0, 1);
    Mouse(0, 4);
    const std::vector<Pushed> pushed = Drain();
    ASSERT_EQ(Ids(pushed), (std::vector<int>{CMD_STOP_FUNCTION, CMD_PLAY_FUNCTION}));
    EXPECT_EQ(pushed[1].command.subKey, 4);
}

TEST_F(PresenterServiceKeysTest, MirrorKeyWaitsASecondAfterThePageTimeAndActsOncePerHold)
{
    Presenter(1);
    Presenter(0);
    Drain();
    clock.clock.Advance(900);
    Mouse(0, 32);
    EXPECT_TRUE(Drain().empty());
    clock.clock.Advance(200);
    Mouse(0, 32);
    clock.clock.Advance(1100);
    Mouse(0, 32);
    const std::vector<Pushed> pushed = Drain();
    ASSERT_EQ(Ids(pushed), (std::vector<int>{CMD_KEY_MSM, CMD_MIRROR_SCREEN}));
    EXPECT_EQ(pushed[0].command.key, 32);
}

TEST_F(PresenterServiceKeysTest, HoldingPageDownRunsTheCustomActionWithMotionReportsForPointerActions)
{
    config.SetSlotInt(ConfigSlotInt::Key, kSlotPresenter, 3, false);
    Presenter(2);
    EXPECT_EQ(settingsWindow.hides, 1);
    clock.clock.Advance(1001);
    Presenter(2);
    EXPECT_EQ(deviceMgr.GetMouseMode(), 1);
    EXPECT_EQ(TakeHeartFrames(), (std::vector<std::pair<int, int>>{{1, 0}}));
    config.SetRuntime(CConfigManager::Runtime::CustomActionLatch, 1);  // the action ran
    Presenter(2, {7, -3});
    EXPECT_TRUE(TakeHeartFrames().empty());
    EXPECT_EQ(actions.journal.Entries(), (std::vector<std::string>{"OnPressPageDownKey", "OnPressPageDownKey"}));
    EXPECT_EQ(cursor.GetPos(), (platform::CursorPoint{507, 497}));
    EXPECT_EQ(Ids(Drain()), (std::vector<int>{CMD_KEY_MSM}));

    Presenter(0);
    EXPECT_EQ(config.GetRuntime(CConfigManager::Runtime::CustomActionLatch), 0);
    config.SetRuntime(CConfigManager::Runtime::SettingsWindowHeld, 1);
    Presenter(2);
    EXPECT_TRUE(Drain().empty());
    EXPECT_EQ(settingsWindow.hides, 3);
}

TEST_F(PresenterServiceKeysTest, ReleaseGivesTheFocusBackAfterPageKeysAtMostEveryTwoSeconds)
{
    Presenter(0);  // nothing was held
    Presenter(1);
    Presenter(0);  // too soon after start
    EXPECT_EQ(foreground.focusCalls, 0);
    clock.clock.Advance(2001);
    Presenter(2);
    Presenter(0);
    Presenter(1);
    Presenter(0);
    EXPECT_EQ(foreground.focusCalls, 1);
    clock.clock.Advance(2001);
    Presenter(8);
    Presenter(0);
    EXPECT_EQ(foreground.focusCalls, 2);
}

} // namespace
