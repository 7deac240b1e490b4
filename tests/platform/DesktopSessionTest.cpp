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
    // A compositor that copies no outputs for clients: XWayland's root window is all there is.
    const std::vector<WaylandGlobal> plain = {{"wl_compositor", 5}, {"wl_shm", 1}, {"xdg_wm_base", 4}};
    auto session = ChooseDesktopSession(true, plain, true);
    EXPECT_TRUE(session.wayland);
    EXPECT_EQ(session.overlay, OverlayPath::XWayland);
    EXPECT_EQ(session.capture, CapturePath::XWaylandRoot);
    EXPECT_TRUE(session.offered.empty());
    EXPECT_NE(session.Describe().find("native windows black"), std::string::npos) << session.Describe();
    // GNOME's copies them through its screen cast service instead.
    auto gnomeGlobals = plain;
    gnomeGlobals.push_back({"gtk_shell1", 5});
    EXPECT_EQ(ChooseDesktopSession(true, gnomeGlobals, true).capture, CapturePath::GnomeScreenCast);
    // KDE Plasma's through its screenshot service.
    auto kdeGlobals = plain;
    kdeGlobals.push_back({"org_kde_plasma_shell", 8});
    EXPECT_EQ(ChooseDesktopSession(true, kdeGlobals, true).capture, CapturePath::KWinScreenShot);
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

TEST(DesktopSession, KeysAndWindowListAreTheWidestTheSessionAllows)
{
    using platform::KeyPath;
    using platform::WindowListPath;
    const std::vector<WaylandGlobal> wlroots = {
        {"wl_compositor", 5}, {"zwp_virtual_keyboard_manager_v1", 1}, {"zwlr_foreign_toplevel_manager_v1", 3}};
    const std::vector<WaylandGlobal> plain = {{"wl_compositor", 5}, {"xdg_wm_base", 4}};
    const std::vector<WaylandGlobal> gnome = {{"wl_compositor", 5}, {"xdg_wm_base", 4}, {"gtk_shell1", 5}};

    // X11: XTest reaches every program, EWMH lists every window, whatever uinput allows.
    auto session = ChooseDesktopSession(false, std::nullopt, true, true);
    EXPECT_EQ(session.keys, KeyPath::XTest);
    EXPECT_EQ(session.windows, WindowListPath::Ewmh);
    // Wayland: our own kernel keyboard wherever uinput may be written.
    session = ChooseDesktopSession(true, wlroots, true, true);
    EXPECT_EQ(session.keys, KeyPath::Uinput);
    EXPECT_EQ(session.windows, WindowListPath::WlrForeignToplevel);
    // Without it, the compositor's virtual keyboard goes before XTest, which no native window hears.
    session = ChooseDesktopSession(true, wlroots, true, false);
    EXPECT_EQ(session.keys, KeyPath::WlrVirtualKeyboard);
    EXPECT_NE(session.Describe().find("keys: compositor's virtual keyboard"), std::string::npos) << session.Describe();
    EXPECT_NE(session.Describe().find("slide-show windows: compositor's toplevel list"), std::string::npos);
    // GNOME offers neither, but its remote desktop service types for every window; only
    // XWayland's windows can be told apart, which the log says.
    session = ChooseDesktopSession(true, gnome, true, false);
    EXPECT_EQ(session.keys, KeyPath::GnomeRemoteDesktop);
    EXPECT_EQ(session.windows, WindowListPath::Ewmh);
    EXPECT_NE(session.Describe().find("native windows not detected"), std::string::npos) << session.Describe();
    // A compositor with nothing of the kind: XTest.
    EXPECT_EQ(ChooseDesktopSession(true, plain, true, false).keys, KeyPath::XTest);

    // Where the first way cannot be made after all, the others the desktop offers follow it:
    // a refused uinput on GNOME falls to its remote desktop service, not to XTest.
    using Paths = std::vector<KeyPath>;
    EXPECT_EQ(ChooseDesktopSession(true, gnome, true, true).KeyPathsInOrder(),
              (Paths{KeyPath::Uinput, KeyPath::GnomeRemoteDesktop, KeyPath::XTest}));
    EXPECT_EQ(ChooseDesktopSession(true, wlroots, true, true).KeyPathsInOrder(),
              (Paths{KeyPath::Uinput, KeyPath::WlrVirtualKeyboard, KeyPath::XTest}));
    EXPECT_EQ(ChooseDesktopSession(true, gnome, true, false).KeyPathsInOrder(),
              (Paths{KeyPath::GnomeRemoteDesktop, KeyPath::XTest}));
    EXPECT_EQ(ChooseDesktopSession(false, std::nullopt, true, true).KeyPathsInOrder(), Paths{KeyPath::XTest});
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
