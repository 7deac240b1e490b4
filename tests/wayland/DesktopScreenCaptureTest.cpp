// Run by run_on.sh as the session's user on a headless GNOME (Gnome*) or KDE Plasma (Kde*)
// compositor that shows the test slide, a native Wayland window, full screen on its one
// 1280 x 800 monitor. Both copy the screen only through services on the session bus.

#include "DesktopSession.h"
#include "KWinScreenCapture.h"
#include "MutterScreenCapture.h"
#include "SlidePattern.h"
#include "WaylandGlobals.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

namespace {

platform::DesktopSession ThisSession()
{
    return platform::ChooseDesktopSession(true, platform::ListWaylandGlobals(), true);
}

// XWayland's root window holds no native window: the frozen picture must show the slide, each
// time (nothing is kept open between pictures).
void ExpectTheSlide(platform::IScreenCapture& capture)
{
    for (int round = 0; round < 3; ++round) {
        platform::CapturedScreen picture;
        ASSERT_TRUE(capture.CaptureVirtualScreen(picture)) << "round " << round;
        ASSERT_EQ(picture.width, 1280);
        ASSERT_EQ(picture.height, 800);
        EXPECT_EQ(picture.originX, 0);
        EXPECT_EQ(picture.originY, 0);
        for (const auto& [x, y] : {std::pair{10, 10}, {1270, 10}, {10, 790}, {1270, 790}, {639, 399}, {640, 400}}) {
            EXPECT_EQ(picture.pixels[static_cast<size_t>(y) * picture.width + x], slide::QuarterColour(x, y, 1280, 800))
                << "at " << x << "," << y;
        }
    }
}

} // namespace

TEST(GnomeSession, EffectsOnXWaylandAndPicturesFromItsScreenCast)
{
    const platform::DesktopSession session = ThisSession();
    EXPECT_EQ(session.overlay, platform::OverlayPath::XWayland);
    EXPECT_EQ(session.capture, platform::CapturePath::GnomeScreenCast);
}

TEST(GnomeSession, FrozenPictureHoldsTheNativeSlideAtItsPlace)
{
    platform::MutterScreenCapture capture;
    ExpectTheSlide(capture);
}

TEST(KdeSession, PicturesFromItsScreenshotService)
{
    EXPECT_EQ(ThisSession().capture, platform::CapturePath::KWinScreenShot);
}

TEST(KdeSession, FrozenPictureHoldsTheNativeSlideAtItsPlace)
{
    platform::KWinScreenCapture capture;
    ExpectTheSlide(capture);
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
