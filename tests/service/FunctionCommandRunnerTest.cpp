#include "CFunctionCommandRunner.h"
#include "ConfigManager.h"
#include "DeviceMgr.h"
#include "FakeCursor.h"
#include "FakeDesktopWindows.h"
#include "ICursorSpeedScale.h"
#include "KeyTestDoubles.h"
#include "PresenterKeyBytes.h"
#include "ProtocolCmdDef.h"

#include <gtest/gtest.h>

namespace {

using Frames = std::vector<std::pair<int, int>>;
using Entries = std::vector<std::string>;

class FixedSpeed final : public ICursorSpeedScale {
public:
    explicit FixedSpeed(float scale) : m_scale(scale) {}
    float GetSpeedScale() const override { return m_scale; }

private:
    float m_scale;
};

FunctionCommand Command(int key, int subKey, uint8_t keyFlag, int mouseMode = 0, int restoreFirst = 0)
{
    FunctionCommand command;
    command.key = key;
    command.subKey = subKey;
    command.keyFlag = keyFlag;
    command.nSwtichMouseMode = mouseMode;
    command.showToolTip = 1;
    command.restoreFirst = restoreFirst;
    return command;
}

// The play/stop worker of the manager is left without a runner: the test runs the commands itself.
class FunctionCommandRunnerTest : public ::testing::Test {
protected:
    FunctionCommandRunnerTest()
        : manager(MakeShowingEffects(effects), EffectRect{1920, 0, 3840, 1080}, EffectPoint{}),
          runner(manager, environment)
    {
        manager.SetDeviceMgr(&deviceMgr);
        config.SetText(ConfigText::SelValue, "123456", false);
        config.SetText(ConfigText::IsUsed, "111110", false);
        environment.SetConfig(&config);
        environment.SetCursor(&cursor);
        environment.SetSettingsWindow(&settingsWindow);
        environment.SetToolTip(&toolTip);
        environment.SetHeartSender(&RecordHeart);
        TakeHeartFrames();
    }

    void Run(int cmdId, int devType, FunctionCommand command) { runner.RunPlayOrStop(cmdId, devType, command); }
    void PressFunctionKey() { Run(CMD_KEY_MSM, 0, Command(KEY_FUN, BUTTON_NONE, 0)); }
    ShowingEffect& Effect(int functionId) { return static_cast<ShowingEffect&>(*manager.Effect(functionId)); }

    Journal effects;
    DeviceMgr deviceMgr;
    FunctionMgr manager;
    CConfigManager config;
    FakeCursor cursor{{100, 200}};
    FakeSettingsWindow settingsWindow;
    RecordingToolTip toolTip;
    PresenterEnvironment environment;
    CFunctionCommandRunner runner;
};

TEST_F(FunctionCommandRunnerTest, FunctionKeyCyclesThroughTheUsedPositionsOnly)
{
    std::vector<int> seen;
    for (int i = 0; i < 5; ++i) {
        PressFunctionKey();
        seen.push_back(manager.GetCurrentFunction());
    }
    EXPECT_EQ(seen, (std::vector<int>{2, 3, 4, 5, 1}));
    EXPECT_TRUE(Effect(FUNCTION_ANNOTATION).IsShown());  // the pen came on as soon as it was chosen
    EXPECT_EQ(toolTip.journal.Entries().back(), "tooltip.Mode(1)");
}

TEST_F(FunctionCommandRunnerTest, NextFunctionKeepsTheCurrentOneWhenNothingElseIsUsed)
{
    config.SetText(ConfigText::IsUsed, "000000", false);
    EXPECT_EQ(runner.NextFunction(3), 3);
    config.SetText(ConfigText::IsUsed, "001000", false);
    EXPECT_EQ(runner.NextFunction(3), 3);  // only its own position is used
    EXPECT_EQ(runner.NextFunction(0), 3);  // none yet: the first used position
    EXPECT_EQ(runner.NextFunction(5), 3);  // wraps to a used position before it
    config.SetText(ConfigText::SelValue, "124563", false);
    EXPECT_EQ(runner.NextFunction(4), 4);  // its own position is the only used one
    EXPECT_EQ(runner.NextFunction(9), 9);  // in no position: stays
}

TEST_F(FunctionCommandRunnerTest, FunctionKeyWhileAnEffectShowsStopsItInsteadOfSwitching)
{
    manager.SetCurrentFunction(FUNCTION_SPOTLIGHT);
    Run(CMD_PLAY_FUNCTION, 0, Command(KEY_DO, BUTTON_NONE, 0, 1));
    ASSERT_TRUE(Effect(FUNCTION_SPOTLIGHT).IsShown());
    Run(CMD_KEY_MSM, 0, Command(KEY_FUN, BUTTON_NONE, 0, 0, 1));
    EXPECT_FALSE(Effect(FUNCTION_SPOTLIGHT).IsShown());
    EXPECT_EQ(manager.GetCurrentFunction(), FUNCTION_SPOTLIGHT);
    Run(CMD_KEY_MSM, 0, Command(KEY_FUN, BUTTON_NONE, 0, 0, 1));
    EXPECT_EQ(manager.GetCurrentFunction(), FUNCTION_DIGITAL_LASER);
}

TEST_F(FunctionCommandRunnerTest, NamedFunctionIsChosenAtOnceWhateverShowsAndWhateverTheListUses)
{
    config.SetText(ConfigText::IsUsed, "100000", false);
    manager.SetCurrentFunction(FUNCTION_SPOTLIGHT);
    Run(CMD_PLAY_FUNCTION, 0, Command(KEY_DO, BUTTON_NONE, 0, 1));
    manager.SetVirtualPoint({2000, 100});
    FunctionCommand select = Command(KEY_FUN, BUTTON_NONE, 0, 0, 1);
    select.selectFunction = FUNCTION_MAGNIFIER;
    Run(CMD_KEY_MSM, 0, select);
    EXPECT_FALSE(Effect(FUNCTION_SPOTLIGHT).IsShown());
    EXPECT_EQ(manager.GetCurrentFunction(), FUNCTION_MAGNIFIER);
    EXPECT_EQ(manager.GetVirtualPoint().x, 2880);  // the presentation screen's centre
    EXPECT_EQ(manager.GetVirtualPoint().y, 540);
    EXPECT_EQ(toolTip.journal.Entries().back(), "tooltip.Mode(4)");
}

TEST_F(FunctionCommandRunnerTest, PlayShowsTheEffectAtTheCentreAndParksTheCursor)
{
    manager.SetCurrentFunction(FUNCTION_MAGNIFIER);
    Run(CMD_PLAY_FUNCTION, 0, Command(KEY_DO, BUTTON_NONE, 0, 1));
    EXPECT_EQ(effects.Entries(), (Entries{"magnifier.Show(2880,540)"}));
    EXPECT_EQ(manager.GetFunctionState(), FUNCTION_STATE_RUNNING);
    EXPECT_EQ(cursor.GetPos(), (platform::CursorPoint{3840, 540}));
    EXPECT_EQ(manager.m_LastCursorPos.x, 100);
    EXPECT_EQ(manager.m_LastCursorPos.y, 200);
}

TEST_F(FunctionCommandRunnerTest, CursorIsParkedOnlyWhenBothCoordinatesDiffer)
{
    cursor.Place({3840, 10});
    runner.HideCursor(FUNCTION_SPOTLIGHT);
    cursor.Place({10, 540});
    runner.HideCursor(FUNCTION_SPOTLIGHT);
    cursor.Place({10, 10});
    runner.HideCursor(FUNCTION_MOUSE);
    runner.HideCursor(FUNCTION_SCREENSHOT);
    EXPECT_EQ(cursor.SetCount(), 0);
    runner.HideCursor(FUNCTION_SPOTLIGHT);
    EXPECT_EQ(cursor.GetPos(), (platform::CursorPoint{3840, 540}));
}

TEST_F(FunctionCommandRunnerTest, CursorIsRestoredOnlyWithinFourPixelsOfTheParkingPoint)
{
    runner.HideCursor(FUNCTION_DIGITAL_LASER);
    cursor.Place({3844, 536});
    runner.RestoreCursor(FUNCTION_DIGITAL_LASER);
    EXPECT_EQ(cursor.GetPos(), (platform::CursorPoint{100, 200}));

    runner.HideCursor(FUNCTION_DIGITAL_LASER);
    cursor.Place({3845, 540});
    runner.RestoreCursor(FUNCTION_DIGITAL_LASER);
    cursor.Place({3840, 535});
    runner.RestoreCursor(FUNCTION_DIGITAL_LASER);
    EXPECT_EQ(cursor.GetPos(), (platform::CursorPoint{3840, 535}));
}

TEST_F(FunctionCommandRunnerTest, WirelessMouseGetsItsCursorBackAtStopButAPresenterDoesNot)
{
    manager.SetCurrentFunction(FUNCTION_SPOTLIGHT);
    Run(CMD_PLAY_FUNCTION, 0, Command(KEY_DO, BUTTON_NONE, 0, 1));
    Run(CMD_STOP_FUNCTION, 0, Command(KEY_NONE, BUTTON_NONE, 0));
    EXPECT_EQ(cursor.GetPos(), (platform::CursorPoint{3840, 540}));

    cursor.Place({100, 200});
    Run(CMD_PLAY_FUNCTION, 1, Command(KEY_NONE, BUTTON_DO, 1, 1));
    ASSERT_TRUE(Effect(FUNCTION_SPOTLIGHT).IsShown());
    Run(CMD_STOP_FUNCTION, 1, Command(KEY_NONE, BUTTON_NONE, 1));
    EXPECT_EQ(cursor.GetPos(), (platform::CursorPoint{100, 200}));
}

TEST_F(FunctionCommandRunnerTest, MoveScalesForPointerEffectsAndStaysOnThePresentationScreen)
{
    FixedSpeed speed(1.5f);
    environment.SetSpeedScale(&speed);
    manager.SetCurrentFunction(FUNCTION_SPOTLIGHT);
    runner.Move(4, {10, 10});  // nothing shown yet
    Run(CMD_PLAY_FUNCTION, 0, Command(KEY_DO, BUTTON_NONE, 0, 1));
    effects.Clear();

    runner.Move(4, {10, -3});
    runner.Move(4, {0, 0});
    runner.Move(4, {-100000, 100000});
    EXPECT_EQ(effects.Entries(), (Entries{"spotlight.Move(2895,536)", "spotlight.Move(1920,1080)"}));

    Run(CMD_STOP_FUNCTION, 0, Command(KEY_NONE, BUTTON_NONE, 0));
    manager.SetCurrentFunction(FUNCTION_ANNOTATION);
    manager.SetVirtualPoint({2000, 500});
    Run(CMD_PLAY_FUNCTION, 0, Command(KEY_DO, BUTTON_NONE, 0, 1));
    effects.Clear();
    runner.Move(4, {10, 10});
    runner.Move(0, {1, 1});
    EXPECT_EQ(effects.Entries(), (Entries{"annotation.Move(2010,510)", "annotation.MovePencil(2011,511)"}));
}

TEST_F(FunctionCommandRunnerTest, EffectsStartOnTheCurrentPresentationScreen)
{
    FakePresentationScreen screen;
    environment.SetPresentationScreen(&screen);
    manager.SetCurrentFunction(FUNCTION_SPOTLIGHT);
    Run(CMD_PLAY_FUNCTION, 0, Command(KEY_DO, BUTTON_NONE, 0, 1));  // no monitor known: the old rectangle stays
    Run(CMD_STOP_FUNCTION, 0, Command(KEY_NONE, BUTTON_NONE, 0));
    screen.rect = {0, 0, 1280, 720};
    Run(CMD_PLAY_FUNCTION, 0, Command(KEY_DO, BUTTON_NONE, 0, 1));
    runner.Move(4, {-5000, 5000});
    EXPECT_EQ(effects.Entries(), (Entries{"spotlight.Show(2880,540)", "spotlight.Hide", "spotlight.Show(640,360)",
                                          "spotlight.Move(0,720)"}));
}

TEST_F(FunctionCommandRunnerTest, SizeStepsGoToTheCurrentEffectAtThePointer)
{
    manager.SetCurrentFunction(FUNCTION_DIGITAL_LASER);
    FunctionCommand up = Command(KEY_DO_PAGE_UP, BUTTON_NONE, 1, 2);
    up.effectAction = 1;
    FunctionCommand down = Command(KEY_DO_PAGE_DOWN, BUTTON_NONE, 1, 2);
    down.effectAction = 2;
    Run(CMD_KEY_MSM, 0, up);
    Run(CMD_KEY_MSM, 0, down);
    EXPECT_EQ(effects.Entries(), (Entries{"laser.SetDoAndUp(2880,540)", "laser.SetDoAndDown(2880,540)"}));
}

TEST_F(FunctionCommandRunnerTest, PresenterHeartbeatBansMotionAfterStopExceptForThePen)
{
    manager.SetCurrentFunction(FUNCTION_SPOTLIGHT);
    Run(CMD_PLAY_FUNCTION, 0, Command(KEY_DO, BUTTON_NONE, 0, 1));
    EXPECT_EQ(TakeHeartFrames(), (Frames{{1, 0}}));  // mode 0 -> 1
    Run(CMD_STOP_FUNCTION, 0, Command(KEY_NONE, BUTTON_NONE, 0));
    EXPECT_EQ(TakeHeartFrames(), (Frames{{1, 1}, {1, 1}}));  // ban set, then the change notice
    EXPECT_EQ(deviceMgr.GetHeartBan(), 1);

    manager.SetCurrentFunction(FUNCTION_ANNOTATION);
    Run(CMD_PLAY_FUNCTION, 0, Command(KEY_DO, BUTTON_NONE, 0, 1));
    EXPECT_EQ(TakeHeartFrames(), (Frames{{1, 0}, {1, 0}}));
    Effect(FUNCTION_ANNOTATION).stayOnStop = true;
    Run(CMD_STOP_FUNCTION, 0, Command(KEY_NONE, BUTTON_NONE, 0, 0));
    EXPECT_EQ(TakeHeartFrames(), Frames{});
    EXPECT_EQ(deviceMgr.GetMouseMode(), 1);
}

TEST_F(FunctionCommandRunnerTest, WirelessMouseHeartbeatFollowsTheRequestedModeAndIsNeverBanned)
{
    deviceMgr.SetDevType(1);
    manager.SetCurrentFunction(FUNCTION_SPOTLIGHT);
    Run(CMD_PLAY_FUNCTION, 1, Command(KEY_NONE, BUTTON_DO, 1, 1));
    EXPECT_EQ(TakeHeartFrames(), (Frames{{1, 0}}));
    Run(CMD_STOP_FUNCTION, 1, Command(KEY_NONE, BUTTON_NONE, 1, 0));
    EXPECT_EQ(TakeHeartFrames(), (Frames{{0, 0}}));
    Run(CMD_STOP_FUNCTION, 1, Command(KEY_PAGE_UP, BUTTON_NONE, 1, 2));  // mode 2 at stop leaves the mode alone
    EXPECT_EQ(TakeHeartFrames(), Frames{});

    manager.SetCurrentFunction(FUNCTION_MOUSE);
    Run(CMD_KEY_MSM, 1, Command(KEY_NONE, BUTTON_NONE, 1, 2));  // the mouse function always runs in mode 0
    EXPECT_EQ(TakeHeartFrames(), Frames{});
    EXPECT_EQ(deviceMgr.GetMouseMode(), 0);
}

TEST_F(FunctionCommandRunnerTest, SettingsWindowStaysWhileAPagePreviewHoldsIt)
{
    manager.SetCurrentFunction(FUNCTION_SPOTLIGHT);
    FunctionCommand play = Command(KEY_DO, BUTTON_NONE, 0, 1);
    play.hideSettingsWindow = 1;
    Run(CMD_PLAY_FUNCTION, 0, play);
    config.SetRuntime(CConfigManager::Runtime::SettingsWindowHeld, 1);
    Run(CMD_PLAY_FUNCTION, 0, play);
    EXPECT_EQ(settingsWindow.hides, 1);
}

} // namespace
