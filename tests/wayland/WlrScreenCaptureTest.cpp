// Run by run_on_sway.sh as the session's user on a headless sway that shows the test slide, a
// native Wayland window, full screen on its one 1280 x 800 output.

#include "DesktopSession.h"
#include "SlidePicture.h"
#include "WaylandGlobals.h"
#include "WlrScreenCapture.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(WaylandSession, SwayGetsEffectsOnItsOverlayLayerAndPicturesFromTheCompositor)
{
    const auto globals = platform::ListWaylandGlobals();
    ASSERT_TRUE(globals.has_value());
    const platform::DesktopSession session = platform::ChooseDesktopSession(true, globals, true);
    EXPECT_TRUE(session.wayland);
    EXPECT_EQ(session.overlay, platform::OverlayPath::LayerShell);
    EXPECT_EQ(session.capture, platform::CapturePath::WlrScreencopy);
    const auto offered = [&](const char* name) {
        return std::find(session.offered.begin(), session.offered.end(), name) != session.offered.end();
    };
    EXPECT_TRUE(offered("zwlr_layer_shell_v1"));
    EXPECT_TRUE(offered("zwlr_foreign_toplevel_manager_v1"));
    EXPECT_TRUE(session.NeedsXcbPlatform());
}

// XWayland's root window holds no native window: the frozen picture must show the slide.
TEST(WlrScreenCapture, FrozenPictureHoldsTheNativeSlideAtItsPlace)
{
    platform::WlrScreenCapture capture;
    slide::ExpectPicturesOfTheSlide(capture, 2); // the connection is kept for the next picture
}

TEST(WlrScreenCapture, NoCompositorThereIsAFailureNotAPicture)
{
    platform::WlrScreenCapture capture("orvelle-no-such-wayland-display");
    platform::CapturedScreen picture;
    EXPECT_FALSE(capture.CaptureVirtualScreen(picture));
    EXPECT_EQ(picture.pixels, nullptr);
}
