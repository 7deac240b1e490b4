// Run by run_on_sway.sh as the session's user on a headless sway that shows the test slide, a
// native Wayland window (app id "wayland_slide", title "Test slide"), full screen.

#include "WlrToplevelList.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::optional<platform::DesktopWindow> Slide(platform::IWindowList& list)
{
    const std::vector<platform::DesktopWindow> windows = list.Windows();
    const auto it = std::find_if(windows.begin(), windows.end(),
                                 [](const platform::DesktopWindow& w) { return w.className == "wayland_slide"; });
    if (it == windows.end())
        return std::nullopt;
    return *it;
}

} // namespace

TEST(WlrToplevelList, FindsTheNativeSlideByAppIdFullScreenAndActive)
{
    platform::WlrToplevelList list;
    for (int round = 0; round < 2; ++round) {  // the connection is kept and brought up to date
        const auto slide = Slide(list);
        ASSERT_TRUE(slide.has_value());
        EXPECT_EQ(slide->title, "Test slide");
        EXPECT_EQ(slide->instanceName, "wayland_slide");
        EXPECT_TRUE(slide->fullScreenState);
        const auto foreground = list.Foreground();
        ASSERT_TRUE(foreground.has_value());
        EXPECT_EQ(foreground->handle, slide->handle);
        EXPECT_TRUE(list.Activate(slide->handle));
        EXPECT_TRUE(list.GiveFocusBack());
    }
    // Handles are the list's own and stay the same for a window it keeps.
    EXPECT_EQ(Slide(list)->handle, Slide(list)->handle);
    EXPECT_FALSE(list.Activate(Slide(list)->handle + 1000));
}

TEST(WlrToplevelList, NoCompositorThereIsAnEmptyListNotAFailure)
{
    platform::WlrToplevelList list("orvelle-no-such-wayland-display");
    EXPECT_TRUE(list.Windows().empty());
    EXPECT_FALSE(list.Foreground().has_value());
    EXPECT_FALSE(list.GiveFocusBack());
}
