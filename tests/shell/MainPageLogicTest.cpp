// The settings window's decisions that need no display: tab underline, status line, caption
// kind, hidden-start tidy-up, message box timing and placement, tooltip timing and placement,
// caption dragging, version file.

#include "CaptionDrag.h"
#include "HiddenStartHousekeeping.h"
#include "MainPageStatus.h"
#include "MessageBoxSchedule.h"
#include "SetupVersion.h"
#include "TabUnderline.h"
#include "ToolTipState.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(TabUnderline, EachPageHasItsSlotAndTheAboutPageSharesTheHiddenTimerSlot)
{
    EXPECT_EQ(TabUnderlineFor(0), (TabUnderlineRect{1, 117, 170, 120}));
    EXPECT_EQ(TabUnderlineFor(1), (TabUnderlineRect{170, 117, 339, 120}));
    EXPECT_EQ(TabUnderlineFor(2), (TabUnderlineRect{339, 117, 508, 120}));
    EXPECT_EQ(TabUnderlineFor(3), TabUnderlineFor(2));
    EXPECT_EQ(TabUnderlineFor(4), (TabUnderlineRect{508, 117, 677, 120}));
    EXPECT_FALSE(TabUnderlineFor(-1));
    EXPECT_FALSE(TabUnderlineFor(5));
}

TEST(MainPageStatus, StatusLineForEveryDeviceState)
{
    constexpr int connected = 2;
    EXPECT_EQ(StatusTextFor({}), DeviceStatusText::Offline) << "no device manager yet";
    EXPECT_EQ(StatusTextFor({true, 0, 0}), DeviceStatusText::Offline);
    EXPECT_EQ(StatusTextFor({true, 1, 0}), DeviceStatusText::Offline) << "only status 2 is connected";
    EXPECT_EQ(StatusTextFor({true, connected, 0}), DeviceStatusText::Online);
    EXPECT_EQ(StatusTextFor({true, connected, 1}), DeviceStatusText::Charging);
    EXPECT_EQ(StatusTextFor({true, 0, 0x80}), DeviceStatusText::Charging) << "charging on the cable, no link";
    EXPECT_EQ(StatusTextFor({false, connected, 1}), DeviceStatusText::Offline);

    EXPECT_STREQ(StatusTextKey(DeviceStatusText::Offline), "app_status_offline");
    EXPECT_STREQ(StatusTextKey(DeviceStatusText::Online), "app_status_online");
    EXPECT_STREQ(StatusTextKey(DeviceStatusText::Charging), "app_status_charging");
}

TEST(MainPageStatus, CaptionKindByDeviceType)
{
    EXPECT_EQ(CaptionKindFor(0), CaptionKind::Presenter);
    EXPECT_EQ(CaptionKindFor(1), CaptionKind::Mouse);
    EXPECT_EQ(CaptionKindFor(2), CaptionKind::Mouse);
    EXPECT_FALSE(CaptionKindFor(3));
    EXPECT_FALSE(CaptionKindFor(-1));
    EXPECT_STREQ(CaptionKeysFor(CaptionKind::Mouse).iconStyle, "main_CaptionICON_mouse");
    EXPECT_STREQ(CaptionKeysFor(CaptionKind::Presenter).iconStyle, "main_CaptionICON_presenter");
    EXPECT_STREQ(CaptionKeysFor(CaptionKind::Presenter).nameText, "app_name");
}

TEST(HiddenStartHousekeeping, HidesAHiddenStartOnceAndOnlyAVisibleWindow)
{
    CHiddenStartHousekeeping hidden;
    HousekeepingAction a = hidden.OnTimer(true, 1, false, false);
    EXPECT_FALSE(a.hideWindow);
    EXPECT_FALSE(hidden.IsDone()) << "an invisible window leaves the tidy-up for later";
    a = hidden.OnTimer(true, 4, true, false);
    EXPECT_FALSE(a.hideWindow);
    EXPECT_FALSE(hidden.IsDone()) << "the help page keeps the window";
    a = hidden.OnTimer(true, 1, true, false);
    EXPECT_TRUE(a.hideWindow);
    EXPECT_TRUE(a.clearFloatingLayer);
    EXPECT_TRUE(hidden.IsDone());
    a = hidden.OnTimer(true, 1, true, false);
    EXPECT_FALSE(a.hideWindow) << "at most once: a user who opens the window later keeps it";

    CHiddenStartHousekeeping dialog;
    a = dialog.OnTimer(true, 1, true, true);
    EXPECT_FALSE(a.hideWindow) << "an open settings dialog keeps its window";
    EXPECT_TRUE(a.clearFloatingLayer);
    EXPECT_TRUE(dialog.IsDone());

    CHiddenStartHousekeeping normal;
    a = normal.OnTimer(false, 1, true, false);
    EXPECT_FALSE(a.hideWindow);
    EXPECT_FALSE(a.clearFloatingLayer);
    EXPECT_TRUE(normal.IsDone());
}

TEST(MessageBoxSchedule, HidesAfterTheDurationCountedFromTheLastShow)
{
    CMessageBoxSchedule box;
    EXPECT_FALSE(box.HideDue(5000)) << "never shown";
    box.Show(1000, 10000);
    EXPECT_FALSE(box.HideDue(10900));
    box.Show(1000, 10900);
    EXPECT_FALSE(box.HideDue(11000)) << "the first show's time is up, the second's is not";
    EXPECT_FALSE(box.HideDue(11900)) << "exactly the duration still shows";
    const std::optional<uint32_t> elapsed = box.HideDue(11901);
    ASSERT_TRUE(elapsed);
    EXPECT_EQ(*elapsed, 1001u);
    EXPECT_FALSE(box.IsShown());
    EXPECT_FALSE(box.HideDue(20000)) << "hidden until the next show";

    // Across the 32-bit wrap of the tick count.
    box.Show(2000, 0xFFFFFF00u);
    EXPECT_FALSE(box.HideDue(0x00000100u));
    EXPECT_TRUE(box.HideDue(0x00000800u));
}

TEST(MessageBoxSchedule, AlignmentAt351PixelsAndPlacementOnTheMonitorUnderTheCursor)
{
    EXPECT_STREQ(MessageAlignFor(0), "center");
    EXPECT_STREQ(MessageAlignFor(350), "center");
    EXPECT_STREQ(MessageAlignFor(351), "left");
    EXPECT_STREQ(MessageAlignFor(2000), "left");

    const std::vector<platform::ScreenRect> monitors = {{0, 0, 1920, 1080}, {1920, -200, 2560, 1440}};
    EXPECT_EQ(MonitorUnder(monitors, 100, 100).x, 0);
    EXPECT_EQ(MonitorUnder(monitors, 1920, 0).x, 1920) << "the left edge belongs to the monitor";
    EXPECT_EQ(MonitorUnder(monitors, 1919, 0).x, 0);
    EXPECT_EQ(MonitorUnder(monitors, 5000, 5000).x, 0) << "off every monitor: the first";
    EXPECT_EQ(MonitorUnder({}, 10, 10).width, 0);

    const platform::ScreenRect box = CentredOn(monitors[1], 400, 200);
    EXPECT_EQ(box.x, 1920 + (2560 - 400) / 2);
    EXPECT_EQ(box.y, -200 + (1440 - 200) / 2);
    EXPECT_EQ(box.width, 400);
    EXPECT_EQ(box.height, 200);
}

TEST(ToolTipState, TwoSwitchesWithinTwoSecondsKeepItUpUntilTwoSecondsAfterTheSecond)
{
    CToolTipState tip;
    EXPECT_FALSE(tip.HideDue(100000)) << "no mode, nothing to hide";
    tip.Set(2, 1000);
    EXPECT_FALSE(tip.HideDue(2500));
    tip.Set(3, 2500);
    EXPECT_FALSE(tip.HideDue(3001)) << "two seconds after the first switch";
    EXPECT_FALSE(tip.HideDue(4500));
    EXPECT_EQ(tip.GetMode(), 3);
    EXPECT_TRUE(tip.HideDue(4501));
    EXPECT_EQ(tip.GetMode(), kToolTipHiddenMode);
    EXPECT_FALSE(tip.HideDue(9000)) << "hides once";

    tip.Set(1, 5000);
    tip.Hide();
    EXPECT_EQ(tip.GetMode(), kToolTipHiddenMode);
    EXPECT_FALSE(tip.HideDue(9000));
}

TEST(ToolTipState, NamesAndPlacement)
{
    EXPECT_STREQ(FunctionNameKey(1), "function_mouse");
    EXPECT_STREQ(FunctionNameKey(6), "function_sceenshot");
    EXPECT_EQ(FunctionNameKey(0), nullptr);
    EXPECT_EQ(FunctionNameKey(7), nullptr);
    EXPECT_STREQ(ColourNameKey(1), "fun_set_color_red");
    EXPECT_STREQ(ColourNameKey(4), "fun_set_color_colors");
    EXPECT_EQ(ColourNameKey(5), nullptr);
    EXPECT_EQ(ColourNameKey(-1), nullptr);

    const std::vector<platform::ScreenRect> one = {{0, 0, 1920, 1080}};
    ToolTipPlacement p = ToolTipPlacementFor(one, false);
    EXPECT_EQ(p.scale, 2);
    EXPECT_EQ(p.rect.x, 1920 - 285);
    EXPECT_EQ(p.rect.y, 0);
    EXPECT_EQ(p.rect.width, 285);
    EXPECT_EQ(p.rect.height, 125);

    const std::vector<platform::ScreenRect> three = {{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}, {-3840, 100, 3840, 2160}};
    p = ToolTipPlacementFor(three, true);
    EXPECT_EQ(p.scale, 3);
    EXPECT_EQ(p.rect.x, -570) << "the last monitor presents";
    EXPECT_EQ(p.rect.y, 100);
    EXPECT_EQ(p.rect.width, 570);
    EXPECT_EQ(p.rect.height, 250);
}

TEST(CaptionDrag, OnlyTheTop50RowsDragAndMovesFollowTheCursor)
{
    CCaptionDrag drag;
    EXPECT_FALSE(drag.Press(50, {500, 500}, {100, 100})) << "row 50 is below the band";
    EXPECT_FALSE(drag.Move({600, 600}));
    EXPECT_FALSE(drag.Release());

    ASSERT_TRUE(drag.Press(49, {500, 300}, {100, 100}));
    EXPECT_EQ(drag.Move({510, 290}), (DragPoint{110, 90}));
    EXPECT_EQ(drag.Move({530, 330}), (DragPoint{130, 130}));
    EXPECT_TRUE(drag.Release());
    EXPECT_FALSE(drag.Move({800, 800}));
}

TEST(SetupVersion, FirstLineWithoutLineEndOrMark)
{
    TempDir dir;
    EXPECT_EQ(ReadSetupVersion(dir.path().string()), "") << "missing file";
    WriteWholeFile(dir.file("SetupVersion.txt"), "");
    EXPECT_EQ(ReadSetupVersion(dir.path().string()), "");
    WriteWholeFile(dir.file("SetupVersion.txt"), "\xEF\xBB\xBF" "2.1.0.7\r\nbuild notes\r\n");
    EXPECT_EQ(ReadSetupVersion(dir.path().string()), "2.1.0.7");
}
