// The command line against the real program on a private Xvfb and a private session bus: the
// program is started hidden with the virtual remote connected, then driven with
// `Orvelle --command ...` as a desktop shortcut or a script would, and read back through the
// status line and config.ini.

#include "ChildProcess.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include "ProgramUnderRemote.h"

#include <fcntl.h>
#include <sys/wait.h>

#include <chrono>

using namespace std::chrono_literals;

namespace {

struct Answer {
    int code = -1;
    std::string out;
};

class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* tool : {"Xvfb", "dbus-daemon", "xdotool"}) {
            if (Which(tool).empty())
                GTEST_SKIP() << tool << " is not installed (xvfb, dbus-daemon, xdotool)";
        }
        m_log = open(m_dir.file("x.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        m_display = SpawnXvfb(Which("Xvfb"), "1280x800x24", InheritedEnv(), &m_xvfb, m_log);
        ASSERT_FALSE(m_display.empty()) << "Xvfb did not start";
        const std::string socket = m_dir.file("session_bus");
        m_busAddress = "unix:path=" + socket;
        m_bus = Spawn({Which("dbus-daemon"), "--session", "--nofork", "--address=" + m_busAddress}, InheritedEnv(), m_log);
        ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(socket); }, 10s)) << "dbus-daemon did not start";
    }
    void TearDown() override
    {
        m_orvelle.Stop();
        for (pid_t pid : {m_bus, m_xvfb})
            Stop(pid);
        if (m_log >= 0)
            close(m_log);
    }
    std::vector<std::string> Env() const
    {
        return DisplayEnv(m_display, {"DBUS_SESSION_BUS_ADDRESS=" + m_busAddress,
                                      "XDG_RUNTIME_DIR=" + (m_dir.path() / "rt").string()});
    }
    void StartProgram()
    {
        m_orvelle.Start(m_install.path(), m_dir.path(), "report 0x03 0\nwait 110000\n", "", Env(), m_log);
        ASSERT_GT(m_orvelle.program, 0);
        ASSERT_TRUE(WaitFor([&] { return Command({"status"}).out.find("\"connected\":true") != std::string::npos; }, 60s))
            << Command({"status"}).out << Log();
    }
    // Runs `program` with `args` and the test's environment (or `env`); its code and output.
    Answer RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::vector<std::string>& env) const
    {
        std::vector<std::string> argv{program};
        argv.insert(argv.end(), args.begin(), args.end());
        const std::string outFile = m_dir.file("command.out");
        const int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const pid_t pid = Spawn(argv, env, out);
        close(out);
        Answer answer;
        if (const std::optional<int> status = WaitExit(pid, 30s); status && WIFEXITED(*status))
            answer.code = WEXITSTATUS(*status);
        else
            Stop(pid);
        answer.out = ReadWholeFile(outFile);
        return answer;
    }
    Answer Command(std::vector<std::string> args) const
    {
        args.insert(args.begin(), "--command");
        return RunProgram(std::string(ORVELLE_BIN_DIR) + "/Orvelle", args, Env());
    }
    bool SettingsWindowShown() const
    {
        return std::system(("DISPLAY=" + m_display + " xdotool search --onlyvisible --name '^Orvelle$' >/dev/null 2>&1").c_str()) == 0;
    }
    std::string Log() const { return InstallLogText(m_install.path()); }
    std::string ConfigIni() const { return ReadWholeFile((m_install.path() / "config.ini").string()); }

    TempDir m_dir;
    TempDir m_install;
    int m_log = -1;
    pid_t m_xvfb = -1;
    pid_t m_bus = -1;
    std::string m_display;
    std::string m_busAddress;
    ProgramUnderRemote m_orvelle;
};

TEST_F(CommandLineTest, WithoutARunningProgramEveryCommandEndsWithThreeAndBadOnesWithTwo)
{
    EXPECT_EQ(Command({"status"}).code, 3);
    EXPECT_EQ(Command({"function=spotlight", "play"}).code, 3);
    EXPECT_EQ(Command({"function=torch"}).code, 2);
    // No session bus at all, and no display: still a clear answer, no window, no lock.
    Answer noBus = RunProgram(std::string(ORVELLE_BIN_DIR) + "/Orvelle", {"--command", "status"},
                              {"DBUS_SESSION_BUS_ADDRESS=unix:path=" + m_dir.file("nothing"), "PATH=/usr/bin:/bin"});
    EXPECT_EQ(noBus.code, 3) << noBus.out;
    const Answer help = RunProgram(std::string(ORVELLE_BIN_DIR) + "/Orvelle", {"--help"}, {"PATH=/usr/bin:/bin"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("set SECTION.KEY=VALUE"), std::string::npos) << help.out;
}

TEST_F(CommandLineTest, FunctionsStartStopAndReportAsTheDoKeyMakesThem)
{
    // The bus's signals, as a panel applet or a script would follow them.
    const int signalsOut = open(m_dir.file("signals.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const pid_t monitor = Which("dbus-monitor").empty()
        ? -1
        : Spawn({Which("dbus-monitor"), "--address", m_busAddress, "type='signal',interface='org.orvelle.Orvelle'"},
                InheritedEnv(), signalsOut);
    close(signalsOut);
    StartProgram();
    ASSERT_EQ(Command({"function=spotlight"}).code, 0);
    EXPECT_TRUE(WaitFor([&] { return Command({"status"}).out.find("\"function\":\"spotlight\"") != std::string::npos; }, 10s));
    ASSERT_EQ(Command({"play"}).code, 0);
    EXPECT_TRUE(WaitFor([&] { return Command({"status"}).out.find("\"shown\":true") != std::string::npos; }, 10s))
        << Command({"status"}).out;
    EXPECT_EQ(Command({"move=40,-20"}).code, 0);
    ASSERT_EQ(Command({"stop"}).code, 0);
    EXPECT_TRUE(WaitFor([&] { return Command({"status"}).out.find("\"shown\":false") != std::string::npos; }, 10s));

    // A function chosen while another shows stops that one first.
    ASSERT_EQ(Command({"play"}).code, 0);
    ASSERT_TRUE(WaitFor([&] { return Command({"status"}).out.find("\"shown\":true") != std::string::npos; }, 10s));
    ASSERT_EQ(Command({"function=laser", "play"}).code, 0);
    EXPECT_TRUE(WaitFor([&] {
        const std::string status = Command({"status"}).out;
        return status.find("\"function\":\"laser\"") != std::string::npos && status.find("\"shown\":true") != std::string::npos;
    }, 10s)) << Command({"status"}).out;
    const std::string status = Command({"status"}).out;
    EXPECT_NE(status.find("\"deviceType\":\"presenter\""), std::string::npos) << status;
    EXPECT_NE(status.find("\"link\":\"receiver\""), std::string::npos) << status;
    EXPECT_NE(status.find("\"status\":\"online\""), std::string::npos) << status;
    EXPECT_NE(Log().find("CPresenterService::SelectFunction 3"), std::string::npos);
    if (monitor > 0) {
        const auto signalText = [&] { return ReadWholeFile(m_dir.file("signals.txt")); };
        EXPECT_TRUE(WaitFor([&] { return signalText().find("string \"laser\"") != std::string::npos; }, 5s)) << signalText();
        EXPECT_NE(signalText().find("member=FunctionChanged"), std::string::npos);
        EXPECT_NE(signalText().find("member=ConnectionChanged"), std::string::npos) << signalText();
        Stop(monitor);
    }
}

TEST_F(CommandLineTest, SettingsAndCustomActionsGoThroughTheChecksAndPathsOfTheSettingsAndKeys)
{
    StartProgram();
    ASSERT_EQ(Command({"set", "FunSet_Postil.LineSize=9"}).code, 0);
    EXPECT_NE(ConfigIni().find("LineSize = 9"), std::string::npos) << ConfigIni();
    EXPECT_EQ(Command({"get", "FunSet_Postil.LineSize"}).out, "9\n");

    const std::string before = ConfigIni();
    const Answer refused = Command({"set", "FunSet_Postil.LineSize=11"});
    EXPECT_EQ(refused.code, 2);
    EXPECT_NE(refused.out.find("FunSet_Postil.LineSize takes"), std::string::npos) << refused.out;
    EXPECT_EQ(Command({"set", "UpdateVersion.IsFirstRun=1"}).code, 2);
    EXPECT_EQ(Command({"action=explode"}).code, 2);
    EXPECT_EQ(Command({"move=1,x"}).code, 2);
    EXPECT_EQ(ConfigIni(), before);
    EXPECT_EQ(Command({"get", "FunSet_Postil.LineSize"}).out, "9\n");

    // Custom actions run as the custom key runs them: the laser colour steps on each time.
    ASSERT_EQ(Command({"get", "FunSet_DigitalLaser.DigitalLaserColor"}).out, "1\n");
    EXPECT_EQ(Command({"action=laser-colour"}).code, 0);
    EXPECT_EQ(Command({"action=laser-colour"}).code, 0);
    EXPECT_EQ(Command({"get", "FunSet_DigitalLaser.DigitalLaserColor"}).out, "3\n");
    EXPECT_EQ(Command({"blank=toggle"}).code, 0);
    EXPECT_TRUE(WaitFor([&] { return Log().find("ShowBlankScreen() Show BlankScreen") != std::string::npos; }, 10s));
    EXPECT_EQ(Command({"blank=toggle"}).code, 0);
    EXPECT_TRUE(WaitFor([&] { return Log().find("ShowBlankScreen() Hide BlankScreen") != std::string::npos; }, 10s));
}

TEST_F(CommandLineTest, SecondStartShowsTheSettingsWindowAndQuitEndsTheProgram)
{
    StartProgram();
    EXPECT_FALSE(SettingsWindowShown());
    // The launcher's hidden start stays silent; the desktop entry's start brings the window up.
    EXPECT_EQ(RunProgram((m_install.path() / "Orvelle").string(), {"hideWindows"}, Env()).code, 0);
    EXPECT_FALSE(SettingsWindowShown());
    EXPECT_EQ(RunProgram((m_install.path() / "Orvelle").string(), {}, Env()).code, 0);
    EXPECT_TRUE(WaitFor([&] { return SettingsWindowShown(); }, 10s));
    EXPECT_EQ(Command({"settings=hide"}).code, 0);
    EXPECT_TRUE(WaitFor([&] { return !SettingsWindowShown(); }, 10s));

    ASSERT_EQ(Command({"quit"}).code, 0);
    EXPECT_TRUE(WaitExit(m_orvelle.program, 20s).has_value()) << Log();
    m_orvelle.program = -1;
    EXPECT_EQ(Command({"status"}).code, 3);
}

} // namespace
