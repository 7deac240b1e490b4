// The custom key functions with a recording keyboard, launcher, cursor and window list, grouped
// by action.

#include "CCustomKeyFunctions.h"
#include "ConfigManager.h"
#include "FakeClock.h"
#include "FakeCursor.h"
#include "FakeDesktopWindows.h"
#include "FakeKeyboard.h"
#include "FakeScreens.h"
#include "FakeWindowList.h"
#include "KeyTestDoubles.h"
#include "KeyboardHookApi.h"
#include "IFunctionToolTip.h"
#include "PresenterEnvironment.h"

#include <gtest/gtest.h>

namespace {

using Keys = std::vector<std::string>;

class ColourToolTip final : public IFunctionToolTip {
public:
    void SetToolTipMode(int) override {}
    void SetToolTipColorMode(int colourMode) override { colours.push_back(colourMode); }
    void HideToolTip() override {}
    std::vector<int> colours;
};

class CustomKeyFunctionsTest : public ::testing::Test {
protected:
    CustomKeyFunctionsTest()
    {
        environment.SetConfig(&config);
        environment.SetCursor(&cursor);
        environment.SetSettingsWindow(&settingsWindow);
        environment.SetPresentationScreen(&presentationScreen);
        environment.SetToolTip(&toolTip);
        presentationScreen.rect = {1920, 0, 1280, 800};
        CustomKeyServices services;
        services.environment = &environment;
        services.keyboard = &keyboard;
        services.launcher = &launcher;
        services.screens = &screens;
        services.windows = &windows;
        services.deviceType = [] { return 0; };
        services.exitCurrentMode = [this] { ++exits; };
        functions = std::make_unique<CCustomKeyFunctions>(services);
    }

    void Action(int action, int slot = 0) { config.SetSlotInt(ConfigSlotInt::Key, slot, action, false); }
    // Key release: what DealDoKeyOpen clears.
    void Release()
    {
        config.SetRuntime(CConfigManager::Runtime::CustomActionLatch, 0);
        functions->ClearHoldValues();
    }
    FakeBlankScreen* AddBlankScreen()
    {
        FakeBlankScreen* blank = nullptr;
        functions->CreateBlankScreenThread([&] {
            auto window = std::make_unique<FakeBlankScreen>();
            window->destroyed = &destroyed;
            blank = window.get();
            return window;
        });
        return blank;
    }
    static intptr_t KeyDown(int vk)
    {
        HookKeyRecord record{static_cast<uint32_t>(vk), 0, 0, 0, 0};
        return CCustomKeyFunctions::KeyboardProc(0, kHookKeyDown, reinterpret_cast<intptr_t>(&record));
    }

    ScopedFakeClock clock{5000};
    CConfigManager config;
    FakeCursor cursor;
    FakeSettingsWindow settingsWindow;
    FakePresentationScreen presentationScreen;
    ColourToolTip toolTip;
    FakeScreens screens{{0, 0, 1920, 1080}, {1920, 0, 1280, 800}};
    FakeKeyboard keyboard;
    FakeDesktopLauncher launcher;
    FakeWindowList windows;
    PresenterEnvironment environment;
    int exits = 0;
    int destroyed = 0;
    std::unique_ptr<CCustomKeyFunctions> functions;
};

TEST_F(CustomKeyFunctionsTest, BlankScreenTogglesOncePerHoldAndIsDestroyedAtDelete)
{
    FakeBlankScreen* blank = AddBlankScreen();
    ASSERT_NE(blank, nullptr);
    Action(KVO_CUSTOM_BLANK_SCREEN);
    for (int i = 0; i < 8; ++i)
        functions->OnPressPageDownKey();
    EXPECT_EQ(blank->shows, 1);
    EXPECT_EQ(blank->shownOn.x, 1920);
    EXPECT_EQ(blank->hides, 0);
    Release();
    functions->OnPressPageDownKey();
    functions->OnPressPageDownKey();
    EXPECT_EQ(blank->hides, 1);
    EXPECT_EQ(blank->shows, 1);

    functions->DeleteBlankScreen();
    EXPECT_EQ(destroyed, 1);
    functions->OnPressPageDownKey();  // no window any more: nothing, no crash
}

TEST_F(CustomKeyFunctionsTest, VideoSendsOneMediaKeyPer500msByPointerHalf)
{
    Action(KVO_CUSTOM_VIDEO);
    cursor.Place({100, 200});  // upper half of the first monitor
    for (int i = 0; i < 10; ++i) {
        clock.clock.Advance(100);
        functions->OnPressPageDownKey();
        if (i == 4)
            cursor.Place({2000, 700});  // lower half of the second monitor
    }
    EXPECT_EQ(keyboard.Take(), (Keys{"176 down+ext", "176 up+ext", "177 down+ext", "177 up+ext"}));
    EXPECT_NE(config.GetRuntime(CConfigManager::Runtime::CustomActionLatch), 0);

    // A mouse-type device has no direction value: no key.
    Action(KVO_CUSTOM_VIDEO, 1);
    clock.clock.Advance(600);
    functions->OnPressMouseCustomKey(16);
    EXPECT_TRUE(keyboard.Take().empty());
}

TEST_F(CustomKeyFunctionsTest, AudioScrollMuteAndPlayPause)
{
    Action(KVO_CUSTOM_AUDIO);
    cursor.Place({2000, 100});
    functions->OnPressPageDownKey();
    functions->OnPressPageDownKey();  // within 100 ms: skipped
    clock.clock.Advance(100);
    Action(KVO_CUSTOM_SCROLL);
    cursor.Place({100, 900});
    functions->OnPressPageDownKey();
    Action(KVO_CUSTOM_SCROLL, 1);
    clock.clock.Advance(100);
    functions->OnPressMouseCustomKey(16);  // the mouse slot never scrolls
    Action(KVO_CUSTOM_SOUND_OFF);
    functions->OnPressPageDownKey();
    functions->OnPressPageDownKey();  // no latch, no throttle
    Action(KVO_CUSTOM_VIDEO_PLAY_PAUSE);
    functions->OnPressPageDownKey();
    EXPECT_EQ(keyboard.Take(), (Keys{"175 down+ext", "175 up+ext", "40 down", "40 up", "173 down+ext", "173 up+ext",
                                     "173 down+ext", "173 up+ext", "179 down+ext", "179 up+ext"}));
}

TEST_F(CustomKeyFunctionsTest, WebAddressGetsHttpOnlyWhenItLacksIt)
{
    Action(KVO_CUSTOM_WEB);
    config.SetSlotText(ConfigSlotText::WebUrl, 0, "example.org/talk", false);
    functions->OnPressPageDownKey();
    functions->OnPressPageDownKey();  // same hold
    Release();
    config.SetSlotText(ConfigSlotText::WebUrl, 0, "see https://example.org", false);
    functions->OnPressPageDownKey();
    Release();
    config.SetSlotText(ConfigSlotText::WebUrl, 0, "", false);
    functions->OnPressPageDownKey();
    EXPECT_EQ(launcher.opened, (std::vector<std::string>{"http://example.org/talk", "see https://example.org", "http://"}));
}

TEST_F(CustomKeyFunctionsTest, OpenDiskOpensTheHomeFolderOncePerHold)
{
    Action(KVO_CUSTOM_OPEN_DISK);
    functions->OnPressPageDownKey();
    functions->OnPressPageDownKey();
    EXPECT_EQ(launcher.opened, (std::vector<std::string>{"~"}));
}

TEST_F(CustomKeyFunctionsTest, ColoursWrapAndReachTheTooltipWithoutWritingTheFile)
{
    config.SetInt(ConfigInt::DigitalLaserColor, 3, false);
    config.SetInt(ConfigInt::LineColor, 4, false);
    Action(KVO_CUSTOM_DIGITAL_COLOR);
    functions->OnPressPageDownKey();
    functions->OnPressPageDownKey();
    Release();
    Action(KVO_CUSTOM_POSTIL_COLOR);
    functions->OnPressPageDownKey();
    EXPECT_EQ(config.GetInt(ConfigInt::DigitalLaserColor), 1);
    EXPECT_EQ(config.GetInt(ConfigInt::LineColor), 1);
    EXPECT_EQ(toolTip.colours, (std::vector<int>{1, 1}));
}

TEST_F(CustomKeyFunctionsTest, RecordedShortcutIsPlayedAndNothingRecordedSends255)
{
    Action(KVO_CUSTOM_KEYBORD);
    config.SetSlotInt(ConfigSlotInt::KeybordValue1, 0, 162, false);
    config.SetSlotInt(ConfigSlotInt::KeybordValue2, 0, 65, false);
    functions->OnPressPageDownKey();
    functions->OnPressPageDownKey();
    Release();
    config.SetSlotInt(ConfigSlotInt::KeybordValue1, 0, -1, false);
    config.SetSlotInt(ConfigSlotInt::KeybordValue2, 0, -1, false);
    functions->OnPressPageDownKey();
    EXPECT_EQ(keyboard.Take(), (Keys{"162 down", "65 down", "65 up", "162 up", "255 down", "255 up"}));
}

TEST_F(CustomKeyFunctionsTest, DisplayOnTopShowsTheHiddenWindowOncePerSecond)
{
    Action(KVO_CUSTOM_DISPLAYONTOP);
    functions->OnPressPageDownKey();
    functions->OnPressPageDownKey();
    EXPECT_EQ(settingsWindow.shows, 1);
    EXPECT_EQ(exits, 2);
    EXPECT_TRUE(functions->DisplayOnTopRan());
    functions->ClearHoldValues();
    EXPECT_FALSE(functions->DisplayOnTopRan());
}

class ShortcutRecorderTest : public CustomKeyFunctionsTest {
protected:
    ShortcutRecorderTest()
    {
        Action(KVO_CUSTOM_KEYBORD);
        settingsWindow.visible = true;
        config.SetRuntime(CConfigManager::Runtime::RecordingShortcut, 1);
        functions->SetShortcutTextSink([this](const std::string& text) { shown.push_back(text); });
        // A missing plug-in still makes these functions the callback's target.
        EXPECT_FALSE(functions->SetHook("/nonexistent/libHook.so"));
    }
    std::vector<std::string> shown;
};

TEST_F(ShortcutRecorderTest, CtrlShiftF5StoresLeftShiftAndShowsTheCtrlText)
{
    keyboard.Hold({17, 16, 162, 160});
    EXPECT_EQ(KeyDown(116), 1);
    EXPECT_EQ(config.GetSlotInt(ConfigSlotInt::KeybordValue1, 0), 160);
    EXPECT_EQ(config.GetSlotInt(ConfigSlotInt::KeybordValue2, 0), 116);
    keyboard.Hold({17, 162});
    KeyDown(162);
    EXPECT_EQ(config.GetSlotInt(ConfigSlotInt::KeybordValue1, 0), 162);
    EXPECT_EQ(config.GetSlotInt(ConfigSlotInt::KeybordValue2, 0), -1);
    keyboard.Hold({});
    KeyDown('Q');
    EXPECT_EQ(config.GetSlotInt(ConfigSlotInt::KeybordValue1, 0), -1);
    EXPECT_EQ(config.GetSlotInt(ConfigSlotInt::KeybordValue2, 0), 'Q');
    EXPECT_EQ(shown, (std::vector<std::string>{"Ctrl + F5", "Control", "Q"}));
}

TEST_F(ShortcutRecorderTest, PunctuationKeysAreRecordedWithTheirNames)
{
    KeyDown(186);
    EXPECT_EQ(config.GetSlotInt(ConfigSlotInt::KeybordValue2, 0), 186);
    keyboard.Hold({17, 162});
    KeyDown(220);  // with a modifier only letters, digits and F keys make a shortcut
    EXPECT_EQ(config.GetSlotInt(ConfigSlotInt::KeybordValue2, 0), -1);
    EXPECT_EQ(shown, (std::vector<std::string>{";", "\\"}));
}

TEST_F(ShortcutRecorderTest, NothingIsRecordedUnlessThePageWaitsForTheShortcut)
{
    FakeBlankScreen* blank = AddBlankScreen();
    blank->showing = true;
    settingsWindow.visible = false;
    KeyDown('A');
    EXPECT_EQ(blank->hides, 1);  // any key hides the blank screen
    settingsWindow.visible = true;
    Action(KVO_CUSTOM_WEB);
    KeyDown('B');
    EXPECT_EQ(CCustomKeyFunctions::KeyboardProc(-1, kHookKeyDown, 0), 1);
    EXPECT_TRUE(shown.empty());
}

} // namespace
