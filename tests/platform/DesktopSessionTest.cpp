// The choice of backends from what the session names and what its compositor offers.

#include "DesktopSession.h"

#include <gtest/gtest.h>

using platform::CapturePath;
using platform::ChooseDesktopSession;
using platform::OverlayPath;
using platform::WaylandGlobal;

TEST(DesktopSession, WhatTheCompositorOffersDecidesOnlyWhereItAnswers)
{
    // No Wayland display, or a stale one that nothing answers: an X11 desktop as before.
    for (const bool named : {false, true}) {
        const auto session = ChooseDesktopSession(named, std::nullopt, true);
        EXPECT_FALSE(session.wayland);
        EXPECT_EQ(session.overlay, OverlayPath::X11);
        EXPECT_EQ(session.capture, CapturePath::X11);
        EXPECT_FALSE(session.NeedsXcbPlatform());
    }
    // A compositor that copies no outputs (as GNOME's): XWayland's root window is all there is.
    const std::vector<WaylandGlobal> plain = {{"wl_compositor", 5}, {"wl_shm", 1}, {"xdg_wm_base", 4}};
    auto session = ChooseDesktopSession(true, plain, true);
    EXPECT_TRUE(session.wayland);
    EXPECT_EQ(session.overlay, OverlayPath::XWayland);
    EXPECT_EQ(session.capture, CapturePath::XWaylandRoot);
    EXPECT_TRUE(session.offered.empty());
    EXPECT_NE(session.Describe().find("native windows black"), std::string::npos) << session.Describe();
    // No XWayland either: nothing can be drawn or frozen, and Qt is left alone.
    session = ChooseDesktopSession(true, plain, false);
    EXPECT_EQ(session.overlay, OverlayPath::None);
    EXPECT_EQ(session.capture, CapturePath::None);
    EXPECT_FALSE(session.NeedsXcbPlatform());
    // weston hides XWayland's windows under a full-screen slide: no effect is promised there.
    auto westonGlobals = plain;
    westonGlobals.push_back({"weston_desktop_shell", 1});
    session = ChooseDesktopSession(true, westonGlobals, true);
    EXPECT_EQ(session.overlay, OverlayPath::None);
    EXPECT_NE(session.Describe().find("weston"), std::string::npos) << session.Describe();
}

TEST(DesktopSession, LayerShellBringsTheEffectsOntoTheCompositorsOverlayLayer)
{
    const std::vector<WaylandGlobal> wlroots = {
        {"wl_compositor", 5}, {"zwlr_layer_shell_v1", 4}, {"zwlr_screencopy_manager_v1", 3}};
    // With XWayland the rest of the program stays on it; without, Qt picks its own plug-in.
    auto session = ChooseDesktopSession(true, wlroots, true);
    EXPECT_EQ(session.overlay, OverlayPath::LayerShell);
    EXPECT_TRUE(session.NeedsXcbPlatform());
    EXPECT_NE(session.Describe().find("effects: compositor overlay layer;"), std::string::npos) << session.Describe();
    session = ChooseDesktopSession(true, wlroots, false);
    EXPECT_EQ(session.overlay, OverlayPath::LayerShell);
    EXPECT_FALSE(session.NeedsXcbPlatform());
    // A stale Wayland display leaves an X11 desktop exactly as it was.
    session = ChooseDesktopSession(true, std::nullopt, true);
    EXPECT_EQ(session.overlay, OverlayPath::X11);
    EXPECT_FALSE(session.NeedsXcbPlatform());
}
