// Key injection and the keyboard hook on a private Xvfb with openbox: the keys the custom actions
// and the slide-show toggle send arrive in a focused window (xev) with their keysyms and
// modifiers, and the hook plug-in reports keys other programs type but not the ones we inject,
// on any layout.

#include "ChildProcess.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include "KeyboardHookApi.h"
#include "ProgramUnderRemote.h"
#include "SharedLibrary.h"
#include "XTestKeyboard.h"

#include <fcntl.h>

#include <chrono>
#include <fstream>
#include <mutex>
#include <sstream>

using namespace std::chrono_literals;

namespace {

std::mutex g_reportedLock;
std::vector<std::pair<int, uintptr_t>> g_reported;

intptr_t RecordKey(int code, uintptr_t message, intptr_t record)
{
    if (code >= 0) {
        std::lock_guard lock(g_reportedLock);
        g_reported.emplace_back(static_cast<int>(reinterpret_cast<const HookKeyRecord*>(record)->vkCode), message);
    }
    return 1;
}

class KeyInjectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* tool : {"Xvfb", "openbox", "xev", "xdotool"}) {
            if (Which(tool).empty())
                GTEST_SKIP() << tool << " is not installed (xvfb, openbox, x11-utils, xdotool)";
        }
        m_log = open(m_dir.file("x.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        m_display = SpawnXvfb(Which("Xvfb"), "1280x800x24", InheritedEnv(), &m_xvfb, m_log);
        ASSERT_FALSE(m_display.empty()) << "Xvfb did not start";
        // The injector opens its connection from DISPLAY on first use.
        setenv("DISPLAY", m_display.c_str(), 1);
        m_wm = Spawn({Which("openbox")}, DisplayEnv(m_display), m_log);
        const int xevOut = open(m_dir.file("xev.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        m_xev = Spawn({Which("xev"), "-event", "keyboard", "-name", "orvelle-keys"}, DisplayEnv(m_display), xevOut);
        close(xevOut);
        const std::string activate = "sh -c 'id=$(xdotool search --onlyvisible --name orvelle-keys | head -n 1) && "
                                     "[ -n \"$id\" ] && { xdotool windowactivate $id; [ \"$(xdotool getactivewindow)\" = \"$id\" ]; }'";
        ASSERT_TRUE(WaitFor([&] { return Run(activate) == 0; }, 20s)) << "the test window did not get the focus";
    }
    void TearDown() override
    {
        unsetenv("DISPLAY");
        m_orvelle.Stop();
        for (pid_t pid : {m_xev, m_wm, m_xvfb})
            Stop(pid);
        if (m_log >= 0)
            close(m_log);
    }
    int Run(const std::string& command) const
    {
        return std::system(("DISPLAY=" + m_display + " " + command + " >/dev/null 2>&1").c_str());
    }
    // The KeyPress lines xev printed: "state 0x1, keycode 71 (keysym 0xffc2, F5)".
    std::vector<std::string> Presses() const
    {
        std::ifstream in(m_dir.file("xev.txt"));
        std::vector<std::string> lines;
        bool press = false;
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("KeyPress event", 0) == 0)
                press = true;
            else if (press && line.find("keysym") != std::string::npos) {
                lines.push_back(line.substr(line.find("state")));
                press = false;
            }
        }
        return lines;
    }
    bool SawPress(const std::string& state, const std::string& keysym) const
    {
        for (const std::string& line : Presses()) {
            if (line.rfind(state, 0) == 0 && line.find("(keysym " + keysym) != std::string::npos)
                return true;
        }
        return false;
    }

    TempDir m_dir;
    int m_log = -1;
    std::string m_display;
    pid_t m_xvfb = -1;
    pid_t m_wm = -1;
    pid_t m_xev = -1;
    ProgramUnderRemote m_orvelle;
};

TEST_F(KeyInjectionTest, InjectedKeysArriveWithTheirKeysymsAndModifiers)
{
    platform::XTestKeyboard keyboard;
    const auto combo = [&](int modifier, int key) {
        keyboard.SendKey(modifier, false, false);
        keyboard.SendKey(key, false, false);
        keyboard.SendKey(modifier, true, false);
        keyboard.SendKey(key, true, false);
    };
    const auto tap = [&](int key, bool extended) {
        keyboard.SendKey(key, false, extended);
        keyboard.SendKey(key, true, extended);
    };
    combo(16, 116);  // the slide show's Shift+F5
    tap(27, false);
    tap(38, false);
    tap(40, false);
    combo(160, 'A');  // a recorded shortcut: left Shift + A
    tap(176, true);   // media next track
    tap(175, true);   // volume up
    tap(186, false);  // a recorded punctuation key: no keysym of its own, the key at its place
    EXPECT_TRUE(WaitFor([&] { return Presses().size() >= 10; }, 10s)) << Presses().size() << " presses seen";
    EXPECT_TRUE(SawPress("state 0x1,", "0xffc2, F5"));
    EXPECT_TRUE(SawPress("state 0x0,", "0xff1b, Escape"));
    EXPECT_TRUE(SawPress("state 0x0,", "0xff52, Up"));
    EXPECT_TRUE(SawPress("state 0x0,", "0xff54, Down"));
    EXPECT_TRUE(SawPress("state 0x1,", "0x41, A"));
    EXPECT_TRUE(SawPress("state 0x0,", "0x1008ff17, XF86AudioNext"));
    EXPECT_TRUE(SawPress("state 0x0,", "0x1008ff13, XF86AudioRaiseVolume"));
    EXPECT_TRUE(SawPress("state 0x0,", "0x3b, semicolon"));
}

TEST_F(KeyInjectionTest, HookReportsOtherProgramsKeysButNotOurs)
{
    platform::SharedLibrary hook;
    ASSERT_TRUE(hook.Open(std::string(ORVELLE_BIN_DIR) + "/" + kHookLibraryName)) << hook.Error();
    auto setHook = reinterpret_cast<SetHookFunc>(hook.Symbol("SetHook"));
    auto release = reinterpret_cast<ReleaseHookFunc>(hook.Symbol("ReleaseHook"));
    auto note = reinterpret_cast<NoteInjectedKeyFunc>(hook.Symbol("NoteInjectedKey"));
    ASSERT_TRUE(setHook && release && note && hook.Symbol("SetIsPressFunAndUp"));
    {
        std::lock_guard lock(g_reportedLock);
        g_reported.clear();
    }
    ASSERT_EQ(setHook(&RecordKey), 1);

    platform::XTestKeyboard keyboard;
    keyboard.SetInjectionObserver([note](unsigned keycode, bool down) { note(keycode, down ? 1 : 0); });
    keyboard.SendKey('Y', false, false);
    keyboard.SendKey('Y', true, false);
    ASSERT_EQ(Run("xdotool key x"), 0);
    const auto reported = [] {
        std::lock_guard lock(g_reportedLock);
        return g_reported;
    };
    EXPECT_TRUE(WaitFor([&] { return reported().size() >= 2; }, 10s));
    release();
    const auto keys = reported();
    EXPECT_EQ(keys, (std::vector<std::pair<int, uintptr_t>>{{'X', kHookKeyDown}, {'X', kHookKeyUp}}));
    // Both keys reached the window: ours was skipped by the hook, not lost.
    EXPECT_TRUE(SawPress("state 0x0,", "0x79, y")) << ::testing::PrintToString(Presses());
}

// Keys whose keysym has no virtual key are known by their place on the keyboard: punctuation,
// and every letter when the first layout is not a Latin one, also after the layout changes
// while the hook runs.
TEST_F(KeyInjectionTest, HookReportsEveryKeyByItsPlaceOnAnyLayout)
{
    if (Which("setxkbmap").empty())
        GTEST_SKIP() << "setxkbmap is not installed (x11-xkb-utils)";
    platform::SharedLibrary hook;
    ASSERT_TRUE(hook.Open(std::string(ORVELLE_BIN_DIR) + "/" + kHookLibraryName)) << hook.Error();
    auto setHook = reinterpret_cast<SetHookFunc>(hook.Symbol("SetHook"));
    auto release = reinterpret_cast<ReleaseHookFunc>(hook.Symbol("ReleaseHook"));
    ASSERT_TRUE(setHook && release);
    {
        std::lock_guard lock(g_reportedLock);
        g_reported.clear();
    }
    const auto reported = [] {
        std::lock_guard lock(g_reportedLock);
        return g_reported;
    };
    ASSERT_EQ(Run("setxkbmap us"), 0);
    ASSERT_EQ(setHook(&RecordKey), 1);
    ASSERT_EQ(Run("xdotool key semicolon"), 0);
    EXPECT_TRUE(WaitFor([&] { return reported().size() >= 2; }, 10s));
    ASSERT_EQ(Run("setxkbmap ru,us"), 0);
    ASSERT_EQ(Run("xdotool key Cyrillic_ef"), 0);  // the key that types "a" on a US keyboard
    EXPECT_TRUE(WaitFor([&] { return reported().size() >= 4; }, 10s));
    release();
    EXPECT_EQ(reported(), (std::vector<std::pair<int, uintptr_t>>{
                              {186, kHookKeyDown}, {186, kHookKeyUp}, {'A', kHookKeyDown}, {'A', kHookKeyUp}}));
}

// The whole road: page down held on the remote for more than a second runs the recorded
// shortcut (left Shift + A) once for the hold, and it reaches the focused window. The keyboard
// hook, loaded by the program, neither records it nor counts it as the user's.
TEST_F(KeyInjectionTest, RecordedShortcutFromTheRemoteArrivesOncePerHold)
{
    TempDir install;
    m_orvelle.Start(install.path(), m_dir.path(), "report 0x03 0\nwait 3000\nreport 0x03 2\nwait 2500\nreport 0x03 0\nwait 60000\n",
                    "[CustomKey]\nkey=9\nkeybordValue1=160\nkeybordValue2=65\n[Log]\nLog_Level=0\n", DisplayEnv(m_display), m_log);
    ASSERT_GT(m_orvelle.program, 0);
    const auto log = [&] { return InstallLogText(install.path()); };
    ASSERT_TRUE(WaitFor([&] { return log().find("CPresenterService::DealDoKeyOpen begin") != std::string::npos; }, 30s)) << log();
    ASSERT_TRUE(WaitFor([&] { return SawPress("state 0x1,", "0x41, A"); }, 10s)) << ::testing::PrintToString(Presses());
    size_t shortcuts = 0;
    for (const std::string& line : Presses())
        shortcuts += line.find("(keysym 0x41, A)") != std::string::npos ? 1 : 0;
    EXPECT_EQ(shortcuts, 1u) << ::testing::PrintToString(Presses());
    EXPECT_NE(log().find("SetHook DLL"), std::string::npos);
    // Debug lines are written (Log_Level 0), and none is the hook's report of a key.
    EXPECT_NE(log().find("[DEBUG]"), std::string::npos);
    EXPECT_EQ(log().find("KeyboardProc WM_KEYDOWN"), std::string::npos) << log();
}

} // namespace
