// Run by run_on.sh as the session's user on a headless GNOME (Gnome*) or KDE Plasma (Kde*)
// compositor that shows the test slide, a native Wayland window, full screen on its one
// 1280 x 800 monitor. Both copy the screen only through services on the session bus.

#include "DesktopSession.h"
#include "KWinScreenCapture.h"
#include "MutterScreenCapture.h"
#include "SlidePicture.h"
#include "WaylandGlobals.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

namespace {

platform::DesktopSession ThisSession()
{
    return platform::ChooseDesktopSession(true, platform::ListWaylandGlobals(), true);
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
    slide::ExpectPicturesOfTheSlide(capture, 3);
}

TEST(KdeSession, PicturesFromItsScreenshotService)
{
    EXPECT_EQ(ThisSession().capture, platform::CapturePath::KWinScreenShot);
}

TEST(KdeSession, FrozenPictureHoldsTheNativeSlideAtItsPlace)
{
    platform::KWinScreenCapture capture;
    slide::ExpectPicturesOfTheSlide(capture, 3);
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
