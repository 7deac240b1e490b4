// The Orvelle program end to end under Xvfb with a tray host: hidden start, single instance,
// shutdown from the tray menu and on SIGTERM, and the crash report with restart. Each test runs
// its own copy of the install folder with its own lock folder.

#include "ChildProcess.h"
#include "HeartbeatFrames.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// One X server with a tray host for the whole suite.
class XServer {
public:
    bool Start()
    {
        const std::string xvfb = Which("Xvfb");
        if (xvfb.empty())
            return false;
        m_display = SpawnXvfb(xvfb, "1280x800x24", InheritedEnv(), &m_xvfb);
        if (m_display.empty())
            return false;
        const std::string trayer = Which("trayer");
        if (!trayer.empty()) {
            m_trayer = Spawn({trayer}, Env({}));
            std::this_thread::sleep_for(500ms);
        }
        return true;
    }
    ~XServer()
    {
        Stop(m_trayer);
        Stop(m_xvfb);
    }

    // The test's environment without the offscreen platform, plus the display and `extra`.
    std::vector<std::string> Env(const std::vector<std::string>& extra) const
    {
        std::vector<std::string> env = InheritedEnv();
        env.push_back("DISPLAY=" + m_display);
        env.insert(env.end(), extra.begin(), extra.end());
        return env;
    }
    const std::string& Display() const { return m_display; }

    // Output of a shell command run against this display.
    std::string Run(const std::string& command) const
    {
        std::string out;
        FILE* p = popen(("DISPLAY=" + m_display + " " + command + " 2>/dev/null").c_str(), "r");
        if (!p)
            return out;
        char buf[512];
        while (fgets(buf, sizeof buf, p))
            out += buf;
        pclose(p);
        return out;
    }

private:
    pid_t m_xvfb = -1;
    pid_t m_trayer = -1;
    std::string m_display;
};

XServer* g_x = nullptr;

class ProgramTest : public ::testing::Test {
public:
    static void SetUpTestSuite()
    {
        auto x = std::make_unique<XServer>();
        if (x->Start())
            g_x = x.release();
    }
    static void TearDownTestSuite()
    {
        delete g_x;
        g_x = nullptr;
    }

protected:
    void SetUp() override
    {
        if (g_x == nullptr)
            GTEST_SKIP() << "Xvfb is not installed (apt-get install xvfb): the program tests need an X server";
        // A copy of the install folder: the program writes config.ini and log/ beside itself.
        const fs::path bin = ORVELLE_BIN_DIR;
        for (const char* file : {"Orvelle", "ImgRes.zip", "InitConfig.ini", "SetupVersion.txt"})
            fs::copy_file(bin / file, m_install.path() / file);
        fs::create_directories(m_runtime.path() / "rt");
        fs::permissions(m_runtime.path() / "rt", fs::perms::owner_all);
    }
    void TearDown() override
    {
        for (pid_t pid : m_started)
            Stop(pid);
    }

    pid_t Start(std::vector<std::string> args, std::vector<std::string> extraEnv = {})
    {
        args.insert(args.begin(), (m_install.path() / "Orvelle").string());
        extraEnv.push_back("XDG_RUNTIME_DIR=" + (m_runtime.path() / "rt").string());
        // Under the address sanitizer the X and D-Bus libraries' own leaks are not the program's.
        extraEnv.push_back("LSAN_OPTIONS=suppressions=" ORVELLE_LSAN_SUPP ":print_suppressions=0");
        const pid_t pid = Spawn(args, g_x->Env(extraEnv));
        if (pid > 0)
            m_started.push_back(pid);
        return pid;
    }
    void Forget(pid_t pid) { std::erase(m_started, pid); }

    std::string LogText() const { return InstallLogText(m_install.path()); }
    // Waits until the log holds `count` start-up lines (one per start).
    bool WaitStarted(int count = 1, std::chrono::milliseconds timeout = 15s) const
    {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < end) {
            const std::string log = LogText();
            int found = 0;
            for (size_t at = log.find("Orvelle started in"); at != std::string::npos;
                 at = log.find("Orvelle started in", at + 1))
                ++found;
            if (found >= count)
                return true;
            std::this_thread::sleep_for(50ms);
        }
        return false;
    }
    // Viewable top-level windows of the program that are larger than a tray icon.
    int VisibleMainWindows() const
    {
        std::istringstream ids(g_x->Run("xdotool search --onlyvisible --classname '^Orvelle$'"));
        int count = 0;
        for (std::string id; ids >> id;) {
            const std::string geometry = g_x->Run("xdotool getwindowgeometry " + id);
            const size_t at = geometry.find("Geometry: ");
            // The settings window itself: wider than a tooltip, taller than its preview layer.
            int width = 0, height = 0;
            if (at != std::string::npos && std::sscanf(geometry.c_str() + at + 10, "%dx%d", &width, &height) == 2 &&
                width > 100 && height > 300)
                ++count;
        }
        return count;
    }
    // The virtual remote plays `play` (and records what it receives into Frames()) for a hidden
    // program started on its socket; the program's id, or -1.
    pid_t StartWithRemote(const std::string& play, int durationMs)
    {
        const std::string socket = (m_runtime.path() / "remote.sock").string();
        const std::string script = (m_runtime.path() / "remote.txt").string();
        WriteWholeFile(script, play);
        const pid_t remote =
            Spawn({std::string(ORVELLE_BIN_DIR) + "/orvelle-virtual-remote", "--socket", socket, "--script", script,
                   "--rate", "50", "--duration", std::to_string(durationMs), "--quiet", "--record", FramesPath()},
                  g_x->Env({}));
        if (remote <= 0)
            return -1;
        m_started.push_back(remote);
        return Start({"hideWindows"}, {"ORVELLE_VIRTUAL_RECEIVER=" + socket});
    }
    std::string FramesPath() const { return (m_runtime.path() / "frames.txt").string(); }
    std::string Frames() const { return ReadWholeFile(FramesPath()); }
    std::string CommandLine(pid_t pid) const
    {
        std::string cmd = ReadWholeFile("/proc/" + std::to_string(pid) + "/cmdline");
        std::replace(cmd.begin(), cmd.end(), '\0', ' ');
        return cmd;
    }

    TempDir m_install;
    TempDir m_runtime;
    std::vector<pid_t> m_started;
};

TEST_F(ProgramTest, HiddenStartStaysHiddenAndASecondStartLeavesAtOnce)
{
    const pid_t first = Start({"hideWindows"});
    ASSERT_GT(first, 0);
    ASSERT_TRUE(WaitStarted()) << LogText();
    EXPECT_NE(LogText().find("CMainPageUI::InitLog LogFilename:"), std::string::npos);
    EXPECT_TRUE(fs::exists(m_install.path() / "ImgRes" / "MainUI.xml"));
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(VisibleMainWindows(), 0);

    const pid_t second = Start({"hideWindows"});
    const auto status = WaitExit(second, 5s);
    ASSERT_TRUE(status.has_value()) << "the second instance kept running";
    Forget(second);
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << *status;
    EXPECT_EQ(waitpid(first, nullptr, WNOHANG), 0) << "the first instance ended";

    // Only the exact word hides: with a trailing blank the window shows (after the first is gone).
    kill(first, SIGTERM);
    ASSERT_TRUE(WaitExit(first, 3s).has_value());
    Forget(first);
    ASSERT_GT(Start({"hideWindows "}), 0);
    ASSERT_TRUE(WaitStarted(2));
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(VisibleMainWindows(), 1);
}

TEST_F(ProgramTest, WithoutADisplayItSaysSoAndEnds)
{
    std::vector<std::string> env;
    for (const auto& e : g_x->Env({"XDG_RUNTIME_DIR=" + (m_runtime.path() / "rt").string()})) {
        if (e.rfind("DISPLAY=", 0) != 0)
            env.push_back(e);
    }
    const std::string output = m_runtime.file("output.txt");
    const int fd = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const pid_t pid = Spawn({(m_install.path() / "Orvelle").string()}, env, fd);
    close(fd);
    const auto status = WaitExit(pid, 5s);
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 1) << *status;
    EXPECT_NE(ReadWholeFile(output).find("no display"), std::string::npos) << ReadWholeFile(output);
}

// The X server goes away under the running program (a server of its own here): it ends with
// code 1 after a log line, not in std::terminate, which the crash reporter would take for a crash.
TEST_F(ProgramTest, LosingTheXServerEndsCleanly)
{
    pid_t xvfb = -1;
    const std::string display = SpawnXvfb(Which("Xvfb"), "800x600x24", InheritedEnv(), &xvfb);
    ASSERT_FALSE(display.empty());
    std::vector<std::string> env;
    for (const auto& e : g_x->Env({"XDG_RUNTIME_DIR=" + (m_runtime.path() / "rt").string()})) {
        if (e.rfind("DISPLAY=", 0) != 0)
            env.push_back(e);
    }
    env.push_back("DISPLAY=" + display);
    const std::string output = m_runtime.file("output.txt");
    const int fd = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const pid_t pid = Spawn({(m_install.path() / "Orvelle").string(), "hideWindows"}, env, fd);
    close(fd);
    m_started.push_back(pid);
    const bool started = WaitStarted();
    Stop(xvfb);
    ASSERT_TRUE(started) << LogText();
    const auto exit = WaitExit(pid, 10s);
    ASSERT_TRUE(exit.has_value()) << "still running 10 s after the X server went";
    Forget(pid);
    EXPECT_TRUE(WIFEXITED(*exit) && WEXITSTATUS(*exit) == 1) << *exit << "\n" << ReadWholeFile(output);
    EXPECT_EQ(ReadWholeFile(output).find("terminate called"), std::string::npos) << ReadWholeFile(output);
    EXPECT_NE(LogText().find("The X server has gone: Orvelle ends"), std::string::npos) << LogText();
    for (const auto& e : fs::directory_iterator(m_install.path() / "log"))
        EXPECT_NE(e.path().filename().string().rfind("crash-", 0), 0u) << e.path();
}

TEST_F(ProgramTest, SigtermEndsCleanlyWithExitCodeZero)
{
    const pid_t pid = Start({"hideWindows"});
    ASSERT_TRUE(WaitStarted()) << LogText();
    const std::string status = ReadWholeFile("/proc/" + std::to_string(pid) + "/status");
    const size_t rss = status.find("VmRSS:");
    if (rss != std::string::npos)
        RecordProperty("VmRSS_kB", std::atoi(status.c_str() + rss + 6));

    kill(pid, SIGTERM);
    const auto exit = WaitExit(pid, 3s);
    ASSERT_TRUE(exit.has_value()) << "still running 3 s after SIGTERM";
    Forget(pid);
    EXPECT_TRUE(WIFEXITED(*exit)) << *exit;
    EXPECT_EQ(WEXITSTATUS(*exit), 0);
    EXPECT_NE(LogText().find("CMainPageUI::Soft kill by presenterTool"), std::string::npos);
}

TEST_F(ProgramTest, TrayMenuCloseItemEndsTheProgram)
{
    if (Which("trayer").empty() || Which("xdotool").empty())
        GTEST_SKIP() << "trayer and xdotool are needed to reach the tray menu";
    const pid_t pid = Start({"hideWindows"});
    ASSERT_TRUE(WaitStarted()) << LogText();

    // The tray icon is the program's small viewable window in the panel.
    std::string icon;
    const auto end = std::chrono::steady_clock::now() + 5s;
    while (icon.empty() && std::chrono::steady_clock::now() < end) {
        std::istringstream ids(g_x->Run("xdotool search --classname '^Orvelle$'"));
        for (std::string id; ids >> id;) {
            const std::string info = g_x->Run("xwininfo -id " + id);
            if (info.find("IsViewable") != std::string::npos && info.find("Width: 22") != std::string::npos)
                icon = id;
        }
        std::this_thread::sleep_for(100ms);
    }
    ASSERT_FALSE(icon.empty()) << "no tray icon";
    g_x->Run("xdotool mousemove --window " + icon + " 8 8 click 3");
    // The menu is the program's viewable window that is neither the icon nor the settings
    // window; it holds "settings" above "close".
    int x = -1, y = -1, w = 0, h = 0;
    const auto menuEnd = std::chrono::steady_clock::now() + 3s;
    while (x < 0 && std::chrono::steady_clock::now() < menuEnd) {
        std::istringstream ids(g_x->Run("xdotool search --onlyvisible --classname '^Orvelle$'"));
        for (std::string id; ids >> id;) {
            const std::string info = g_x->Run("xwininfo -id " + id);
            const auto field = [&](const char* name) {
                const size_t at = info.find(name);
                return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + std::strlen(name));
            };
            if (id != icon && field("Width: ") > 30 && field("Width: ") < 400 && field("Height: ") > 20) {
                x = field("Absolute upper-left X: ");
                y = field("Absolute upper-left Y: ");
                w = field("Width: ");
                h = field("Height: ");
            }
        }
        std::this_thread::sleep_for(100ms);
    }
    ASSERT_GE(x, 0) << "no tray menu";
    g_x->Run("xdotool mousemove " + std::to_string(x + w / 2) + " " + std::to_string(y + h * 3 / 4) + " click 1");

    const auto exit = WaitExit(pid, 3s);
    ASSERT_TRUE(exit.has_value()) << "the close item did not end the program";
    Forget(pid);
    EXPECT_TRUE(WIFEXITED(*exit) && WEXITSTATUS(*exit) == 0) << *exit;
}

TEST_F(ProgramTest, VirtualRemoteConnectsAndGetsItsParameters)
{
    const pid_t pid = StartWithRemote("report 0x03 0\nwait 4000\n", 20000);
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(WaitStarted()) << LogText();

    const auto end = std::chrono::steady_clock::now() + 10s;
    while (LogText().find("SynchDeviceParamters() presenter speed:") == std::string::npos &&
           std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(50ms);
    const std::string log = LogText();
    EXPECT_NE(log.find("InitHidManager Successful Presenter"), std::string::npos) << log;
    EXPECT_NE(log.find("SynchDeviceParamters() DevType:0 speed:"), std::string::npos) << log;
    EXPECT_NE(log.find("SynchDeviceParamters() presenter speed:"), std::string::npos) << log;
    // The remote received the power time-out frame (600000 ms and 10000 ms in tens of
    // milliseconds) and the sensitivity frame with the value the log names, at rate 100.
    const std::string frames = Frames();
    EXPECT_NE(frames.find(" 0A B2 01 D4 60 EA E8 03 "), std::string::npos) << frames;
    const std::string speedWord = "SynchDeviceParamters() presenter speed:";
    const std::size_t at = log.find(speedWord);
    ASSERT_NE(at, std::string::npos);
    char sensitivity[32];
    std::snprintf(sensitivity, sizeof sensitivity, " 0A B2 01 D3 %02X 64 ", std::atoi(log.c_str() + at + speedWord.size()));
    EXPECT_NE(frames.find(sensitivity), std::string::npos) << sensitivity << " not in\n" << frames;
}

TEST_F(ProgramTest, CrashLeavesAReportAndRestartsWithRestart)
{
    const pid_t pid = Start({"hideWindows"}, {"ORVELLE_TEST_CRASH_SIGNAL=11"});
    ASSERT_TRUE(WaitStarted()) << LogText();
    // The same process comes back with "/restart", shows its window and logs a second start.
    ASSERT_TRUE(WaitStarted(2)) << LogText();
    EXPECT_NE(CommandLine(pid).find("/restart"), std::string::npos) << CommandLine(pid);

    std::string report;
    for (const auto& e : fs::directory_iterator(m_install.path() / "log")) {
        if (e.path().filename().string().rfind("crash-", 0) == 0)
            report = ReadWholeFile(e.path().string());
    }
    EXPECT_NE(report.find("Signal: SIGSEGV (11)"), std::string::npos) << report;
    std::string version;
    std::ifstream(std::string(ORVELLE_BIN_DIR) + "/SetupVersion.txt") >> version;
    EXPECT_NE(report.find("Version: " + version + "\n"), std::string::npos) << report;
    EXPECT_NE(report.find("Log file: " + (m_install.path() / "log").string()), std::string::npos) << report;

    kill(pid, SIGTERM);
    const auto exit = WaitExit(pid, 3s);
    ASSERT_TRUE(exit.has_value());
    Forget(pid);
    EXPECT_TRUE(WIFEXITED(*exit) && WEXITSTATUS(*exit) == 0) << *exit;
}

// The function key selects the spotlight and the remote feeds it (mode 1); the held do key shows
// it; after the release, four more presses come back round to the mouse, and the remote acts as
// a mouse again (mode 0).
TEST_F(ProgramTest, SpotlightFollowsTheRemoteInEffectModeAndTheMouseFunctionEndsIt)
{
    std::string play = "report 0x03 0\nwait 500\nreport 0x03 8\nwait 50\nreport 0x03 0\nwait 500\n"
                       "repeat 60 {\nreport 0x03 4 5 2\nwait 8\n}\nreport 0x03 0\nwait 500\n";
    for (int press = 0; press < 4; ++press)
        play += "report 0x03 8\nwait 50\nreport 0x03 0\nwait 300\n";
    const pid_t pid = StartWithRemote(play + "wait 3000\n", 30000);
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(WaitStarted()) << LogText();
    // Back on the mouse: a mode-0 heartbeat after the last one of the effect mode.
    const auto backOnTheMouse = [&] {
        const std::string text = Frames();
        const size_t effectMode = text.rfind(" 0A B2 01 50 01 ");
        return effectMode != std::string::npos && text.find(" 0A B2 01 50 00 00 ", effectMode) != std::string::npos;
    };
    const auto end = std::chrono::steady_clock::now() + 20s;
    while (!backOnTheMouse() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(50ms);
    // And it stays there: the periodic heartbeats go on with mode 0.
    std::this_thread::sleep_for(1500ms);

    const std::string log = LogText();
    const size_t shown = log.find("Searchlight_UI::Show x:");
    EXPECT_NE(shown, std::string::npos) << log;
    EXPECT_NE(log.find("CMD_STOP_FUNCTION", shown == std::string::npos ? 0 : shown), std::string::npos) << log;
    EXPECT_TRUE(backOnTheMouse()) << Frames() << log;
}

// Closing the program while the remote is in effect mode, just before a periodic heartbeat is
// due: the last frame the remote receives is the exit heartbeat with mode 0.
TEST_F(ProgramTest, ClosingLeavesTheRemoteWithTheMode0HeartbeatLast)
{
    // Online, then the function key: the program moves from the mouse to an effect (mode 1).
    const pid_t pid = StartWithRemote("report 0x03 0\nwait 500\nreport 0x03 8\nwait 50\nreport 0x03 0\nwait 30000\n", 40000);
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(WaitStarted()) << LogText();

    const auto modeOneBeats = [&] { return CountHeartbeats(Frames(), 1); };
    const auto waitFor = [](auto done, std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!done() && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(2ms);
        return done();
    };
    ASSERT_TRUE(waitFor([&] { return modeOneBeats() >= 2; }, 15s)) << Frames() << LogText();
    const int seen = modeOneBeats();
    ASSERT_TRUE(waitFor([&] { return modeOneBeats() > seen; }, 3s));
    // The next periodic heartbeat is due while the program sends its exit heartbeat.
    std::this_thread::sleep_for(900ms);
    kill(pid, SIGTERM);
    const auto exit = WaitExit(pid, 5s);
    ASSERT_TRUE(exit.has_value()) << "still running 5 s after SIGTERM";
    Forget(pid);
    EXPECT_TRUE(WIFEXITED(*exit) && WEXITSTATUS(*exit) == 0) << *exit;

    std::this_thread::sleep_for(300ms);
    const std::string text = Frames();
    const std::string last = LastLine(text);
    ASSERT_FALSE(last.empty()) << text;
    EXPECT_NE(last.find(" 0A B2 01 50 00 00 "), std::string::npos) << text;
}

} // namespace
