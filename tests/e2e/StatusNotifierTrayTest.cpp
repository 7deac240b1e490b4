// The tray icon on a desktop whose panel takes StatusNotifierItems (GNOME with its extension,
// KDE, sway's bar) instead of an XEmbed tray: a private Xvfb without trayer, a private session
// bus and a small watcher with a registered host (sni_watcher.py). The program's icon must
// register there with an icon, and the panel's click must bring the settings window up.

#include "ChildProcess.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>

#include <chrono>
#include <filesystem>

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

class StatusNotifierTrayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* tool : {"Xvfb", "dbus-daemon", "dbus-send", "xdotool"}) {
            if (Which(tool).empty())
                GTEST_SKIP() << tool << " is not installed (xvfb, dbus-daemon, dbus-bin, xdotool)";
        }
        if (std::system("/usr/bin/python3 -c 'import dbus, gi' 2>/dev/null") != 0)
            GTEST_SKIP() << "python3-dbus and python3-gi are not installed";
        m_log = open(m_dir.file("x.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        m_display = SpawnXvfb(Which("Xvfb"), "1280x800x24", InheritedEnv(), &m_xvfb, m_log);
        ASSERT_FALSE(m_display.empty()) << "Xvfb did not start";
        const std::string socket = m_dir.file("session_bus");
        m_busAddress = "unix:path=" + socket;
        m_env = DisplayEnv(m_display, {"DBUS_SESSION_BUS_ADDRESS=" + m_busAddress,
                                       "XDG_RUNTIME_DIR=" + (m_dir.path() / "rt").string(),
                                       "LSAN_OPTIONS=suppressions=" ORVELLE_LSAN_SUPP ":print_suppressions=0"});
        fs::create_directories(m_dir.path() / "rt");
        fs::permissions(m_dir.path() / "rt", fs::perms::owner_all);
        m_bus = Spawn({Which("dbus-daemon"), "--session", "--nofork", "--address=unix:path=" + socket}, InheritedEnv(), m_log);
        ASSERT_TRUE(WaitFor([&] { return fs::exists(socket); }, 10s)) << "dbus-daemon did not start";
        for (const char* file : {"Orvelle", "ImgRes.zip", "InitConfig.ini", "SetupVersion.txt"})
            fs::copy_file(fs::path(ORVELLE_BIN_DIR) / file, m_install.path() / file);
    }
    void TearDown() override
    {
        for (pid_t pid : {m_program, m_watcher, m_bus, m_xvfb})
            Stop(pid);
        if (m_log >= 0)
            close(m_log);
    }
    bool SettingsWindowShown() const
    {
        return std::system(("DISPLAY=" + m_display + " xdotool search --onlyvisible --name '^Orvelle$' >/dev/null 2>&1").c_str()) == 0;
    }
    std::string Report() const { return ReadWholeFile(m_dir.file("items.txt")); }

    TempDir m_dir;
    TempDir m_install;
    int m_log = -1;
    pid_t m_xvfb = -1;
    pid_t m_bus = -1;
    pid_t m_watcher = -1;
    pid_t m_program = -1;
    std::string m_display;
    std::string m_busAddress;
    std::vector<std::string> m_env;
};

TEST_F(StatusNotifierTrayTest, IconRegistersWithTheWatcherAndItsClickShowsTheSettingsWindow)
{
    m_watcher = Spawn({"/usr/bin/python3", ORVELLE_TESTS_SOURCE_DIR "/e2e/sni_watcher.py", m_dir.file("items.txt"), "activate"},
                      m_env, m_log);
    ASSERT_TRUE(WaitFor([&] {
        return std::system(("DBUS_SESSION_BUS_ADDRESS=" + m_busAddress +
                            " dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher /StatusNotifierWatcher "
                            "org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierWatcher "
                            "string:ProtocolVersion >/dev/null 2>&1").c_str()) == 0;
    }, 20s)) << "the watcher did not come up";

    m_program = Spawn({(m_install.path() / "Orvelle").string(), "hideWindows"}, m_env, m_log);
    ASSERT_GT(m_program, 0);
    ASSERT_TRUE(WaitFor([&] { return Report().find("Icon=") != std::string::npos; }, 60s))
        << "no item registered\n" << InstallLogText(m_install.path());
    EXPECT_NE(Report().find("Status=Active"), std::string::npos) << Report();
    EXPECT_NE(Report().find("Icon=yes"), std::string::npos) << Report();
    EXPECT_EQ(Report().find('\n'), Report().size() - 1) << "more than one item: " << Report();
    EXPECT_TRUE(WaitFor([&] { return SettingsWindowShown(); }, 10s)) << "the click did not show the settings window";
}

} // namespace
