// The slide-show toggle on a fake desktop: which windows count as presentations, when a show is
// full screen, and the keys that start or leave it.

#include "CSlideShowToggle.h"
#include "ConfigManager.h"
#include "FakeClock.h"
#include "FakeKeyboard.h"
#include "FakeScreens.h"
#include "FakeWindowList.h"

#include <gtest/gtest.h>

namespace {

using Keys = std::vector<std::string>;
const Keys kStart = {"16 down", "116 down", "16 up", "116 up", "16 down", "116 down", "16 up", "116 up"};
const Keys kLeave = {"27 down", "27 up", "27 down", "27 up"};

platform::DesktopWindow Window(unsigned long handle, const char* cls, const char* title, platform::ScreenRect rect = {10, 10, 800, 600})
{
    platform::DesktopWindow w;
    w.handle = handle;
    w.className = cls;
    w.title = title;
    w.rect = rect;
    return w;
}

class SlideShowToggleTest : public ::testing::Test {
protected:
    bool SlideShowStarted() const { return config.GetRuntime(CConfigManager::Runtime::SlideShowStarted) != 0; }
    void Release() { config.SetRuntime(CConfigManager::Runtime::SlideShowStarted, 0); }

    ScopedFakeClock clock{5000};
    CConfigManager config;
    FakeWindowList windows;
    FakeKeyboard keyboard;
    FakeScreens screens{{0, 0, 1920, 1080}};
    std::atomic<uint32_t> lastActionTime{0};
    CSlideShowToggle toggle{config, windows, keyboard, screens, lastActionTime};
};

TEST_F(SlideShowToggleTest, ScanNeedsAPresentationClassWhileTheTitleTestDoesNot)
{
    windows.windows = {Window(1, "PPTFrameClass", "talk.pptx - Viewer", {0, 0, 1920, 1080})};
    EXPECT_TRUE(toggle.FullScreenScan());
    EXPECT_EQ(g_hPPTWnd.load(), 1u);

    windows.windows = {Window(2, "Notepad", "talk.pptx - Viewer", {0, 0, 1920, 1080})};
    g_hPPTWnd = 0;
    EXPECT_FALSE(toggle.FullScreenScan());
    EXPECT_EQ(g_hPPTWnd.load(), 0u);
    EXPECT_TRUE(toggle.IsPPTWindow(windows.windows[0]));
    EXPECT_EQ(g_hPPTWnd.load(), 2u);
    // Titles are lower-cased first; an unrelated title is no presentation.
    EXPECT_TRUE(toggle.IsPPTWindow(Window(3, "x", "Microsoft POWERPOINT")));
    EXPECT_FALSE(toggle.IsPPTWindow(Window(4, "x", "notes.txt")));
}

TEST_F(SlideShowToggleTest, FullScreenMeansCoveringAMonitorExactlyOrTheWindowManagerSaysSo)
{
    screens.Set({{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}});
    windows.windows = {Window(1, "libreoffice-impress", "talk.odp", {1920, 0, 1280, 1024})};
    EXPECT_TRUE(toggle.FullScreenScan());
    // Maximised but one pixel short: not full screen.
    windows.windows = {Window(1, "libreoffice-impress", "talk.odp", {1920, 0, 1280, 1023})};
    EXPECT_FALSE(toggle.FullScreenScan());
    windows.windows[0].fullScreenState = true;
    EXPECT_TRUE(toggle.FullScreenScan());
}

TEST_F(SlideShowToggleTest, ToggleStartsFromTheForegroundDocumentThenLeavesOncePerHold)
{
    windows.windows = {Window(7, "libreoffice-impress", "talk.odp - LibreOffice Impress")};
    windows.foreground = 7;
    toggle.OnPPT();
    EXPECT_EQ(windows.activated, (std::vector<unsigned long>{7}));
    EXPECT_EQ(keyboard.Take(), kStart);
    EXPECT_TRUE(SlideShowStarted());
    EXPECT_EQ(lastActionTime.load(), 5010u);  // after the 10 ms gap of the sequence
    EXPECT_EQ(g_hPPTWnd.load(), 0u);

    // The show is up now (full screen); a second toggle in the same hold does nothing.
    windows.windows.push_back(Window(8, "soffice", "talk.odp", {0, 0, 1920, 1080}));
    toggle.OnPPT();
    EXPECT_TRUE(keyboard.Take().empty());
    Release();
    toggle.OnPPT();
    EXPECT_EQ(keyboard.Take(), kLeave);
}

// A native presentation on a Wayland desktop whose window list is XWayland's: nothing is seen,
// so one hold starts the show and the next leaves it. Where every window is seen, nothing seen
// means nothing runs: each hold starts.
TEST_F(SlideShowToggleTest, WhereNativeWindowsAreUnseenHoldsStartAndLeaveInTurn)
{
    windows.seesEveryWindow = false;
    for (const Keys& expected : {kStart, kLeave, kStart}) {
        toggle.OnPPT();
        Release();
        EXPECT_EQ(keyboard.Take(), expected);
    }
    // A presentation that comes into sight decides again.
    windows.windows = {Window(7, "libreoffice-impress", "talk.odp - LibreOffice Impress")};
    windows.foreground = 7;
    toggle.OnPPT();
    Release();
    EXPECT_EQ(keyboard.Take(), kStart);
    windows.windows.clear();
    toggle.OnPPT();
    Release();
    EXPECT_EQ(keyboard.Take(), kStart);

    windows.seesEveryWindow = true;
    for (int hold = 0; hold < 2; ++hold) {
        toggle.OnPPT();
        Release();
        EXPECT_EQ(keyboard.Take(), kStart);
    }
}

TEST_F(SlideShowToggleTest, PdfViewersGetTheirOwnStartKeysByX11ClassOrWaylandAppId)
{
    for (const char* okular : {"okular", "org.kde.okular"}) {
        Release();
        windows.windows = {Window(3, okular, "talk.pdf — Okular")};
        windows.foreground = 3;
        toggle.OnPPT();
        EXPECT_EQ(keyboard.Take(), (Keys{"17 down", "16 down", "80 down", "80 up", "16 up", "17 up"})) << okular;
    }
    for (const char* evince : {"Evince", "org.gnome.Evince"}) {
        Release();
        windows.windows = {Window(4, evince, "talk.pdf")};
        windows.foreground = 4;
        toggle.OnPPT();
        EXPECT_EQ(keyboard.Take(), (Keys{"116 down", "116 up"})) << evince;
    }
    // Nothing in the foreground: the office keys go to whatever has the focus.
    Release();
    windows.windows.clear();
    toggle.OnPPT();
    EXPECT_EQ(keyboard.Take(), kStart);
}

TEST_F(SlideShowToggleTest, OnlyTheFocusedWindowsClassPicksAViewersKeys)
{
    // A browser tab showing a PDF: its title looks like a viewer's, its class does not.
    windows.windows = {Window(5, "Chromium", "talk.pdf - Chromium")};
    windows.foreground = 5;
    toggle.OnPPT();
    EXPECT_EQ(keyboard.Take(), kStart);

    // A viewer in the background must not lend its keys to an unrelated focused window.
    Release();
    windows.windows = {Window(3, "okular", "talk.pdf — Okular"), Window(6, "XTerm", "bash")};
    windows.foreground = 6;
    toggle.OnPPT();
    EXPECT_EQ(keyboard.Take(), kStart);
}

} // namespace
