// OrvelleServer end to end under Xvfb: the single instance, the log-on entry, starting the real
// Orvelle hidden after the launcher's own start and when the virtual receiver appears, the limit
// of ten attempts, the log roll-over and the clean end on SIGTERM. Each test runs the launcher
// from its own copy of the install folder with its own lock and configuration folders.

#include "ChildProcess.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <functional>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string g_display;
pid_t g_xvfb = -1;

bool Eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        if (condition())
            return true;
        std::this_thread::sleep_for(50ms);
    }
    return condition();
}

size_t Count(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// Processes (not necessarily our children) whose executable is `program`.
std::vector<pid_t> ProcessesOf(const fs::path& program)
{
    std::vector<pid_t> pids;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator("/proc", ec)) {
        const std::string name = e.path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const fs::path exe = fs::read_symlink(e.path() / "exe", ec);
        if (!ec && exe == program)
            pids.push_back(std::stoi(name));
    }
    return pids;
}

class LauncherTest : public ::testing::Test {
public:
    static void SetUpTestSuite()
    {
        const std::string xvfb = Which("Xvfb");
        if (!xvfb.empty())
            g_display = SpawnXvfb(xvfb, "1024x768x24", InheritedEnv(), &g_xvfb);
    }
    static void TearDownTestSuite() { Stop(g_xvfb); }

protected:
    void SetUp() override
    {
        if (g_display.empty())
            GTEST_SKIP() << "Xvfb is not installed (apt-get install xvfb): the launcher tests start Orvelle";
        m_install = m_root.path() / "install";
        fs::create_directories(m_install);
        for (const char* folder : {"rt", "config"}) {
            fs::create_directories(m_root.path() / folder);
            fs::permissions(m_root.path() / folder, fs::perms::owner_all);
        }
        fs::copy_file(fs::path(ORVELLE_BIN_DIR) / "OrvelleServer", m_install / "OrvelleServer");
    }
    void TearDown() override
    {
        for (pid_t pid : m_started)
            Stop(pid);
        // Orvelle is the launcher's child, detached: ended here by its process id.
        for (pid_t pid : ProcessesOf(m_install / "Orvelle"))
            kill(pid, SIGKILL);
    }

    void InstallRealProgram()
    {
        for (const char* file : {"Orvelle", "ImgRes.zip", "InitConfig.ini", "SetupVersion.txt"})
            fs::copy_file(fs::path(ORVELLE_BIN_DIR) / file, m_install / file);
    }
    // An "Orvelle" that notes its arguments and ends at once.
    void InstallFailingProgram()
    {
        WriteWholeFile((m_install / "Orvelle").string(),
                       "#!/bin/sh\necho \"$@\" >> '" + (m_root.path() / "starts.txt").string() + "'\n");
        fs::permissions(m_install / "Orvelle", fs::perms::owner_all);
    }
    size_t FailedStarts() const { return Count(ReadWholeFile((m_root.path() / "starts.txt").string()), "hideWindows\n"); }

    std::vector<std::string> Env() const
    {
        std::vector<std::string> env = InheritedEnv();
        env.push_back("DISPLAY=" + g_display);
        env.push_back("XDG_RUNTIME_DIR=" + (m_root.path() / "rt").string());
        env.push_back("XDG_CONFIG_HOME=" + (m_root.path() / "config").string());
        env.push_back("ORVELLE_VIRTUAL_RECEIVER=" + Socket());
        return env;
    }
    pid_t StartLauncher(const fs::path& launcher, int outputFd = -1)
    {
        const pid_t pid = Spawn({launcher.string()}, Env(), outputFd);
        if (pid > 0)
            m_started.push_back(pid);
        return pid;
    }
    // The receiver appears while the remote listens on the socket.
    pid_t Plug()
    {
        const pid_t pid = Spawn({std::string(ORVELLE_BIN_DIR) + "/orvelle-virtual-remote", "--socket", Socket(),
                                 "--quiet", "--record", "/dev/null"},
                                InheritedEnv());
        m_started.push_back(pid);
        return pid;
    }
    void Unplug(pid_t remote)
    {
        Stop(remote);
        std::erase(m_started, remote);
    }
    int End(pid_t pid)
    {
        kill(pid, SIGTERM);
        const auto status = WaitExit(pid, 3s);
        if (!status)
            return -1;
        std::erase(m_started, pid);
        return WIFEXITED(*status) ? WEXITSTATUS(*status) : 128 + WTERMSIG(*status);
    }

    std::string Socket() const { return (m_root.path() / "rt" / "remote.sock").string(); }
    std::string Log() const { return ReadWholeFile((m_install / "ServerLog.log").string()); }
    bool WaitLog(const std::string& text, size_t count = 1, std::chrono::milliseconds timeout = 8s) const
    {
        return Eventually([&] { return Count(Log(), text) >= count; }, timeout);
    }
    fs::path Entry() const { return m_root.path() / "config" / "autostart" / "QuillonServer.desktop"; }
    std::string EntryExec() const
    {
        const std::string text = ReadWholeFile(Entry().string());
        const size_t at = text.find("\nExec=");
        return at == std::string::npos ? std::string() : text.substr(at + 6, text.find('\n', at + 1) - at - 6);
    }
    std::string CommandLine(pid_t pid) const
    {
        std::string cmd = ReadWholeFile("/proc/" + std::to_string(pid) + "/cmdline");
        std::replace(cmd.begin(), cmd.end(), '\0', ' ');
        return cmd;
    }

    TempDir m_root;
    fs::path m_install;
    std::vector<pid_t> m_started;
};

TEST_F(LauncherTest, SecondLauncherPrintsTheLineAndLeavesTheEntryAloneAMovedOneRewritesIt)
{
    const pid_t first = StartLauncher(m_install / "OrvelleServer");
    ASSERT_TRUE(Eventually([&] { return fs::exists(Entry()); }, 5s));
    EXPECT_EQ(EntryExec(), "\"" + (m_install / "OrvelleServer").string() + "\"");

    // An entry the second launcher would rewrite if it touched it at all.
    WriteWholeFile(Entry().string(), "[Desktop Entry]\nType=Application\nName=QuillonServer\nExec=/elsewhere\n");
    const std::string output = (m_root.path() / "second.txt").string();
    const int fd = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const pid_t second = StartLauncher(m_install / "OrvelleServer", fd);
    close(fd);
    const auto status = WaitExit(second, 5s);
    ASSERT_TRUE(status.has_value()) << "the second launcher kept running";
    std::erase(m_started, second);
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << *status;
    EXPECT_EQ(ReadWholeFile(output), "Server Client Runing!\n");
    EXPECT_EQ(EntryExec(), "/elsewhere");
    EXPECT_EQ(End(first), 0);

    // Moved into a folder whose name needs quoting: the entry follows it.
    const fs::path moved = m_root.path() / "moved $here";
    fs::create_directories(moved);
    fs::copy_file(m_install / "OrvelleServer", moved / "OrvelleServer");
    const pid_t third = StartLauncher(moved / "OrvelleServer");
    ASSERT_TRUE(Eventually([&] { return EntryExec() != "/elsewhere"; }, 5s));
    EXPECT_EQ(EntryExec(), "\"" + (m_root.path() / "moved \\\\$here" / "OrvelleServer").string() + "\"");
    if (const std::string validate = Which("desktop-file-validate"); !validate.empty()) {
        EXPECT_EQ(std::system((validate + " '" + Entry().string() + "'").c_str()), 0) << ReadWholeFile(Entry().string());
    }
    EXPECT_EQ(End(third), 0);
}

TEST_F(LauncherTest, StartsOrvelleHiddenAfterThreeSecondsAndOnArrivalsOnlyWhenItIsNotRunning)
{
    InstallRealProgram();
    const fs::path program = m_install / "Orvelle";
    const auto started = std::chrono::steady_clock::now();
    const pid_t launcher = StartLauncher(m_install / "OrvelleServer");
    ASSERT_TRUE(Eventually([&] { return !ProcessesOf(program).empty(); }, 8s)) << Log();
    EXPECT_GE(std::chrono::steady_clock::now() - started, 2900ms);
    std::vector<pid_t> running = ProcessesOf(program);
    ASSERT_EQ(running.size(), 1u);
    EXPECT_EQ(CommandLine(running[0]), program.string() + " hideWindows ");
    EXPECT_EQ(getsid(running[0]), running[0]) << "not started in a session of its own";
    EXPECT_EQ(Count(Log(), "ThreadStartApp() call  start ShellExecute.."), 1u) << Log();

    // Orvelle runs: the arrival is logged with the program's path and starts nothing.
    pid_t remote = Plug();
    ASSERT_TRUE(WaitLog("[INFO]")) << Log();
    ASSERT_TRUE(WaitLog("ThreadInitKVOServer() Adding! " + program.string() + "\r\n")) << Log();
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(Count(Log(), "ThreadInitKVOServer() call"), 0u) << Log();
    EXPECT_EQ(ProcessesOf(program), running);

    // Closed, unplugged and plugged again: started hidden once more.
    kill(running[0], SIGTERM);
    ASSERT_TRUE(Eventually([&] { return ProcessesOf(program).empty(); }, 5s));
    Unplug(remote);
    ASSERT_TRUE(WaitLog("ThreadInitKVOServer() Removing!")) << Log();
    remote = Plug();
    ASSERT_TRUE(WaitLog("ThreadInitKVOServer() call  start ShellExecute..0!")) << Log();
    ASSERT_TRUE(Eventually([&] { return ProcessesOf(program).size() == 1; }, 5s));
    running = ProcessesOf(program);
    EXPECT_EQ(CommandLine(running[0]), program.string() + " hideWindows ");

    // SIGTERM ends the launcher cleanly; Orvelle stays.
    EXPECT_EQ(End(launcher), 0);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(ProcessesOf(program), running);
}

TEST_F(LauncherTest, TenFailedAttemptsThenWaitsForTheNextArrival)
{
    InstallFailingProgram();
    StartLauncher(m_install / "OrvelleServer");
    ASSERT_TRUE(WaitLog("ThreadStartApp() call  start ShellExecute..9!")) << Log();
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(FailedStarts(), 10u);
    EXPECT_EQ(Count(Log(), "ThreadStartApp() call"), 10u) << Log();

    Plug();
    ASSERT_TRUE(WaitLog("ThreadInitKVOServer() call  start ShellExecute..9!")) << Log();
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(FailedStarts(), 20u);
    EXPECT_EQ(Count(Log(), "ThreadInitKVOServer() call"), 10u) << Log();
}

TEST_F(LauncherTest, LogLeftOversizedByEarlierRunsRollsOverAtStart)
{
    const std::string oversized(5242880, 'x');
    WriteWholeFile((m_install / "ServerLog.log").string(), oversized);
    WriteWholeFile((m_install / "ServerLogBack.log").string(), "older backup\n");
    Plug();
    ASSERT_TRUE(Eventually([&] { return fs::exists(Socket()); }, 3s));
    const pid_t launcher = StartLauncher(m_install / "OrvelleServer");
    ASSERT_TRUE(WaitLog("ThreadFindHIDFunc() Adding!")) << Log().substr(0, 200);
    EXPECT_EQ(End(launcher), 0);
    EXPECT_LT(fs::file_size(m_install / "ServerLog.log"), 4096u);
    EXPECT_EQ(ReadWholeFile((m_install / "ServerLogBack.log").string()), oversized);
}

} // namespace
