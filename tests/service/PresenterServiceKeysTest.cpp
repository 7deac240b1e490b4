#include "CCustomKeyFunctions.h"
#include "CPresenterService.h"
#include "ConfigManager.h"
#include "DeviceMgr.h"
#include "FakeClock.h"
#include "FakeCursor.h"
#include "FakeDesktopWindows.h"
#include "FakeKeyboard.h"
#include "FakeScreens.h"
#include "FakeWindowList.h"
#include "KeyTestDoubles.h"
#include "PresenterKeyBytes.h"
#include "ProtocolCmdDef.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <thread>

namespace {

constexpr int kMarker = 99;
constexpr int kWirelessMouse = 1;  // device type

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

TEST_F(PresenterServiceKeysTest, HoldingPageUpQueuesOneSlideShowToggleAfterOneSecond)
{
    Presenter(KEY_PAGE_UP);
    clock.clock.Advance(500);
    Presenter(KEY_PAGE_UP);
    clock.clock.Advance(501);
    Presenter(KEY_PAGE_UP);
    clock.clock.Advance(20);
    Presenter(KEY_PAGE_UP);
    const std::vector<Pushed> pushed = Drain();
    ASSERT_EQ(Ids(pushed), (std::vector<int>{CMD_KEY_MSM, CMD_SLIDESHOW}));
    EXPECT_EQ(pushed[0].command.key, KEY_PAGE_UP);
    EXPECT_EQ(pushed[0].command.keyFlag, 1);
    EXPECT_EQ(pushed[0].command.restoreFirst, 1);

    Presenter(KEY_NONE);
    Presenter(KEY_PAGE_UP);
    EXPECT_EQ(Ids(Drain()), (std::vector<int>{CMD_KEY_MSM}));  // a new hold starts over
}

TEST_F(PresenterServiceKeysTest, ReleasingTheDoKeyStopsTheEffectButNotThePen)
{
    manager.SetCurrentFunction(FUNCTION_ANNOTATION);
    Presenter(KEY_DO);
    Presenter(KEY_DO);
    Presenter(KEY_NONE);
    EXPECT_EQ(Ids(Drain()), (std::vector<int>{CMD_PLAY_FUNCTION}));

    manager.SetCurrentFunction(FUNCTION_DIGITAL_LASER);
    Presenter(KEY_DO);
    Presenter(KEY_NONE);
    Presenter(KEY_NONE);
    const std::vector<Pushed> pushed = Drain();
    ASSERT_EQ(Ids(pushed), (std::vector<int>{CMD_PLAY_FUNCTION, CMD_STOP_FUNCTION}));
    EXPECT_EQ(pushed[0].command.nSwtichMouseMode, 1);
    EXPECT_EQ(pushed[0].command.hideSettingsWindow, 1);
    EXPECT_EQ(pushed[1].command.restoreFirst, 0);
}

TEST_F(PresenterServiceKeysTest, PlayCommandOutlastsTheRemotesIdleReportsUntilStop)
{
    manager.SetCurrentFunction(FUNCTION_SPOTLIGHT);
    service->Play();
    Presenter(KEY_NONE);  // the remote reports "nothing held" all the time
    Presenter(KEY_NONE);
    std::vector<Pushed> pushed = Drain();
    ASSERT_EQ(Ids(pushed), (std::vector<int>{CMD_PLAY_FUNCTION}));
    EXPECT_EQ(pushed[0].command.key, KEY_DO);  // the do key's own row
    EXPECT_EQ(pushed[0].command.nSwtichMouseMode, 1);

    // While it holds, the pen draws with a command's motion as with the held do key.
    manager.SetCurrentFunction(FUNCTION_ANNOTATION);
    manager.SetFunctionState(FUNCTION_STATE_RUNNING);
    service->MoveBy({5, 0});
    ASSERT_FALSE(effects.Entries().empty());
    EXPECT_EQ(effects.Entries().back().rfind("annotation.Move(", 0), 0u) << effects.Entries().back();
    manager.SetCurrentFunction(FUNCTION_SPOTLIGHT);

    service->Stop();
    pushed = Drain();
    ASSERT_EQ(Ids(pushed), (std::vector<int>{CMD_STOP_FUNCTION}));
    EXPECT_EQ(pushed[0].command.restoreFirst, 0);

    // A named function is the function key's command aimed at it.
    service->SelectFunction(FUNCTION_MAGNIFIER);
    service->SelectFunction(0);  // no such function: nothing
    pushed = Drain();
    ASSERT_EQ(Ids(pushed), (std::vector<int>{CMD_KEY_MSM}));
    EXPECT_EQ(pushed[0].command.key, KEY_FUN);
    EXPECT_EQ(pushed[0].command.selectFunction, FUNCTION_MAGNIFIER);
}

TEST_F(PresenterServiceKeysTest, SizeStepsComeAtMostOncePerFiftyMilliseconds)
{
    Mouse(KEY_NONE, BUTTON_SIZE_UP);
    clock.clock.Advance(30);
    Mouse(KEY_NONE, BUTTON_SIZE_UP);
    clock.clock.Advance(20);
    Mouse(KEY_NONE, BUTTON_SIZE_DOWN);
    const std::vector<Pushed> pushed = Drain();
    ASSERT_EQ(pushed.size(), 2u);
    EXPECT_EQ(pushed[0].command.key, BUTTON_SIZE_UP);
    EXPECT_EQ(pushed[0].command.effectAction, 1);
    EXPECT_EQ(pushed[0].command.nSwtichMouseMode, 2);
    EXPECT_EQ(pushed[1].command.key, BUTTON_SIZE_DOWN);
    EXPECT_EQ(pushed[1].command.effectAction, 2);
}

TEST_F(PresenterServiceKeysTest, RepeatWorkerStepsWhileDoAndPageUpIsHeldAndStopsAtRelease)
{
    Presenter(KEY_DO_PAGE_UP);
    Presenter(KEY_DO_PAGE_UP);  // still one worker
    for (int i = 0; i < 5000 && recorder.Count() < 3; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    Presenter(KEY_NONE);
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
    Mouse(KEY_PAGE_DOWN, BUTTON_IGNORED_LOW, {5, 5});
    Mouse(KEY_PAGE_DOWN, BUTTON_IGNORED_HIGH, {5, 5});
    EXPECT_TRUE(Drain().empty());
    EXPECT_TRUE(effects.Entries().empty());

    // Plain page down on a mouse: its custom action, and the effect follows.
    Mouse(KEY_PAGE_DOWN, BUTTON_NONE, {5, 5});
    const std::vector<Pushed> pushed = Drain();
    ASSERT_EQ(pushed.size(), 1u);
    EXPECT_EQ(pushed[0].command.subKey, KEY_PAGE_DOWN);
    EXPECT_EQ(actions.journal.Entries(), (std::vector<std::string>{"MouseCustom(2)"}));
    EXPECT_EQ(effects.Entries(), (std::vector<std::string>{"spotlight.Move(965,545)"}));
}

TEST_F(PresenterServiceKeysTest, MouseDoButtonPlaysAndMovesAsTheDoKey)
{
    ShowSpotlight();
    Mouse(KEY_NONE, BUTTON_DO, {4, 0});
    Mouse(KEY_NONE, BUTTON_DO, {4, 0});
    const std::vector<Pushed> pushed = Drain();
    ASSERT_EQ(Ids(pushed), (std::vector<int>{CMD_PLAY_FUNCTION}));
    EXPECT_EQ(pushed[0].command.subKey, BUTTON_DO);
    EXPECT_EQ(pushed[0].command.keyFlag, 1);
    EXPECT_EQ(effects.Entries(), (std::vector<std::string>{"spotlight.Move(964,540)", "spotlight.Move(968,540)"}));
}

TEST_F(PresenterServiceKeysTest, FunctionKeyCombinationsBlockRightKeyKey6AndMirror)
{
    Presenter(KEY_FUN_PAGE_UP);
    Presenter(KEY_FUN_PAGE_UP);
    EXPECT_EQ(actions.journal.Entries(), (std::vector<std::string>{"FunAndUp(1)"}));
    clock.clock.Advance(2000);
    Mouse(KEY_NONE, BUTTON_RIGHT);
    Mouse(KEY_NONE, BUTTON_KEY6);
    Mouse(KEY_NONE, BUTTON_MIRROR);
    EXPECT_TRUE(Drain().empty());

    Mouse(KEY_NONE, BUTTON_NONE);
    Mouse(KEY_NONE, BUTTON_RIGHT);
    Mouse(KEY_NONE, BUTTON_RIGHT);
    Mouse(KEY_NONE, BUTTON_KEY6);
    const std::vector<Pushed> pushed = Drain();
    ASSERT_EQ(Ids(pushed), (std::vector<int>{CMD_STOP_FUNCTION, CMD_PLAY_FUNCTION}));
    EXPECT_EQ(pushed[1].command.subKey, BUTTON_KEY6);
}

TEST_F(PresenterServiceKeysTest, MirrorKeyWaitsASecondAfterThePageTimeAndActsOncePerHold)
{
    Presenter(KEY_PAGE_UP);
    Presenter(KEY_NONE);
    Drain();
    clock.clock.Advance(900);
    Mouse(KEY_NONE, BUTTON_MIRROR);
    EXPECT_TRUE(Drain().empty());
    clock.clock.Advance(200);
    Mouse(KEY_NONE, BUTTON_MIRROR);
    clock.clock.Advance(1100);
    Mouse(KEY_NONE, BUTTON_MIRROR);
    const std::vector<Pushed> pushed = Drain();
    ASSERT_EQ(Ids(pushed), (std::vector<int>{CMD_KEY_MSM, CMD_MIRROR_SCREEN}));
    EXPECT_EQ(pushed[0].command.key, BUTTON_MIRROR);
}

TEST_F(PresenterServiceKeysTest, HoldingPageDownRunsTheCustomActionWithMotionReportsForPointerActions)
{
    config.SetSlotInt(ConfigSlotInt::Key, kSlotPresenter, 3, false);
    Presenter(KEY_PAGE_DOWN);
    EXPECT_EQ(settingsWindow.hides, 1);
    clock.clock.Advance(1001);
    Presenter(KEY_PAGE_DOWN);
    EXPECT_EQ(deviceMgr.GetMouseMode(), 1);
    EXPECT_EQ(TakeHeartFrames(), (std::vector<std::pair<int, int>>{{1, 0}}));
    config.SetRuntime(CConfigManager::Runtime::CustomActionLatch, 1);  // the action ran
    Presenter(KEY_PAGE_DOWN, {7, -3});
    EXPECT_TRUE(TakeHeartFrames().empty());
    EXPECT_EQ(actions.journal.Entries(), (std::vector<std::string>{"OnPressPageDownKey", "OnPressPageDownKey"}));
    EXPECT_EQ(cursor.GetPos(), (platform::CursorPoint{507, 497}));
    EXPECT_EQ(Ids(Drain()), (std::vector<int>{CMD_KEY_MSM}));

    Presenter(KEY_NONE);
    EXPECT_EQ(config.GetRuntime(CConfigManager::Runtime::CustomActionLatch), 0);
    config.SetRuntime(CConfigManager::Runtime::SettingsWindowHeld, 1);
    Presenter(KEY_PAGE_DOWN);
    EXPECT_TRUE(Drain().empty());
    EXPECT_EQ(settingsWindow.hides, 3);
}

TEST_F(PresenterServiceKeysTest, ReleaseGivesTheFocusBackAfterPageKeysAtMostEveryTwoSeconds)
{
    Presenter(KEY_NONE);  // nothing was held
    Presenter(KEY_PAGE_UP);
    Presenter(KEY_NONE);  // too soon after start
    EXPECT_EQ(foreground.focusCalls, 0);
    clock.clock.Advance(2001);
    Presenter(KEY_PAGE_DOWN);
    Presenter(KEY_NONE);
    Presenter(KEY_PAGE_UP);
    Presenter(KEY_NONE);
    EXPECT_EQ(foreground.focusCalls, 1);
    clock.clock.Advance(2001);
    Presenter(KEY_FUN);
    Presenter(KEY_NONE);
    EXPECT_EQ(foreground.focusCalls, 2);
}

// The key handling with the real custom actions and slide-show toggle behind it. The queued
// commands are run by hand through the service's own runner, at the moments a busy worker
// might get to them.
class HoldActionsTest : public PresenterServiceKeysTest {
protected:
    HoldActionsTest()
    {
        CustomKeyServices services;
        services.environment = &service->Environment();
        services.keyboard = &keyboard;
        services.launcher = &launcher;
        services.screens = &screens;
        services.windows = &windows;
        services.deviceType = [this] { return deviceMgr.GetDevType(); };
        functions = std::make_unique<CCustomKeyFunctions>(services);
        functions->CreateBlankScreenThread([this] {
            auto window = std::make_unique<FakeBlankScreen>();
            blank = window.get();
            return window;
        });
        service->Environment().SetActions(functions.get());
    }
    ~HoldActionsTest() override { service->Environment().SetActions(&actions); }

    void Run(std::vector<Pushed> pushed)
    {
        CFunctionCommandRunner* runner = service->GetCommandRunner();
        ASSERT_NE(runner, nullptr);
        for (Pushed& p : pushed) {
            if (p.cmdId == CMD_SLIDESHOW)
                runner->RunServiceCommand(p.cmdId, deviceMgr.GetDevType());
            else
                runner->RunPlayOrStop(p.cmdId, deviceMgr.GetDevType(), p.command);
        }
    }
    // Slide-show starts sent so far (each start is Shift+F5 twice).
    long Starts()
    {
        const std::vector<std::string> keys = keyboard.Take();
        return std::count(keys.begin(), keys.end(), "116 down") / 2;
    }
    void HoldPageUpPastOneSecond()
    {
        Presenter(KEY_PAGE_UP);
        clock.clock.Advance(1001);
        Presenter(KEY_PAGE_UP);
    }

    FakeKeyboard keyboard;
    FakeDesktopLauncher launcher;
    FakeScreens screens{{0, 0, 1920, 1080}};
    FakeWindowList windows;
    std::unique_ptr<CCustomKeyFunctions> functions;
    FakeBlankScreen* blank = nullptr;
};

TEST_F(HoldActionsTest, OnePageUpHoldTogglesTheSlideShowOnceWhenTheQueueLagsBehindTheRelease)
{
    HoldPageUpPastOneSecond();
    Run(Drain());  // the worker keeps up: the show starts while the key is held
    clock.clock.Advance(8);
    Presenter(KEY_PAGE_UP);
    Presenter(KEY_NONE);
    Run(Drain());  // anything still queued runs only after the release
    EXPECT_EQ(Starts(), 1);
}

TEST_F(HoldActionsTest, ALateToggleOfOneHoldDoesNotSwallowTheNextHoldsToggle)
{
    HoldPageUpPastOneSecond();
    Presenter(KEY_NONE);
    std::vector<Pushed> first = Drain();
    clock.clock.Advance(3000);
    HoldPageUpPastOneSecond();
    std::vector<Pushed> second = Drain();
    // The worker was stuck: both holds' toggles run while the second hold is still down.
    Run(std::move(first));
    Run(std::move(second));
    EXPECT_EQ(Starts(), 2);
    Presenter(KEY_NONE);
}

TEST_F(HoldActionsTest, MouseCustomButtonShowsTheBlankScreenWhateverOrderTheQueueRunsIn)
{
    ASSERT_NE(blank, nullptr);
    deviceMgr.SetDevType(kWirelessMouse);
    config.SetSlotInt(ConfigSlotInt::Key, kSlotMouse, KVO_CUSTOM_BLANK_SCREEN, false);
    Mouse(KEY_NONE, BUTTON_CUSTOM);  // the action shows it at once, on this thread
    Run(Drain());                    // the button's queued command comes after the show
    EXPECT_TRUE(blank->showing);
    EXPECT_EQ(blank->hides, 0);

    // The next press of the same button lifts it again.
    Mouse(KEY_NONE, BUTTON_NONE);
    Mouse(KEY_NONE, BUTTON_CUSTOM);
    Run(Drain());
    EXPECT_FALSE(blank->showing);
    EXPECT_EQ(blank->shows, 1);

    // With another action on the button, a press still takes a blank screen down.
    blank->showing = true;
    config.SetSlotInt(ConfigSlotInt::Key, kSlotMouse, KVO_CUSTOM_SOUND_OFF, false);
    Mouse(KEY_NONE, BUTTON_NONE);
    Mouse(KEY_NONE, BUTTON_CUSTOM);
    Run(Drain());
    EXPECT_FALSE(blank->showing);
}

} // namespace
