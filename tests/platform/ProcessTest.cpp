// The process-level pieces: the single-instance lock across processes, and the crash reporter's
// report and restart.

#include "CrashReporter.h"
#include "SingleInstanceLock.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using platform::CrashReporter;
using platform::SingleInstanceLock;

namespace {

constexpr const char* kName = "Global\\Tarn12_ProcessCtrlMutex_QuillonExe";

// Runs `body` in a child process and returns its wait status.
int InChild(const std::function<int()>& body)
{
    const pid_t pid = fork();
    if (pid == 0)
        _exit(body());
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

int ChildAcquire()
{
    SingleInstanceLock lock;
    switch (lock.Acquire(kName)) {
    case SingleInstanceLock::Result::Acquired: return 0;
    case SingleInstanceLock::Result::HeldElsewhere: return 1;
    default: return 2;
    }
}

class EnvGuard {
public:
    explicit EnvGuard(const char* name) : m_name(name)
    {
        if (const char* v = std::getenv(name)) {
            m_had = true;
            m_value = v;
        }
    }
    ~EnvGuard()
    {
        if (m_had)
            setenv(m_name, m_value.c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had = false;
    std::string m_value;
};

TEST(SingleInstanceLock, OneHolderAcrossProcessesUntilReleaseOrExit)
{
    EXPECT_EQ(SingleInstanceLock::FileNameFor(kName), "Global_Tarn12_ProcessCtrlMutex_QuillonExe.lock");
    EXPECT_EQ(SingleInstanceLock::FileNameFor("../x"), "_._x.lock");

    TempDir dir;
    EnvGuard guard("XDG_RUNTIME_DIR");
    setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);

    SingleInstanceLock lock;
    ASSERT_EQ(lock.Acquire(kName), SingleInstanceLock::Result::Acquired);
    EXPECT_EQ(fs::path(lock.GetPath()).parent_path(), dir.path());
    EXPECT_EQ(WEXITSTATUS(InChild(ChildAcquire)), 1);
    lock.Release();
    EXPECT_EQ(WEXITSTATUS(InChild(ChildAcquire)), 0);

    // A holder that dies without releasing leaves the lock free.
    const int status = InChild([] {
        SingleInstanceLock held;
        if (held.Acquire(kName) != SingleInstanceLock::Result::Acquired)
            return 3;
        raise(SIGKILL);
        return 4;
    });
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(lock.Acquire(kName), SingleInstanceLock::Result::Acquired);
}

TEST(SingleInstanceLock, FallbackFolderIsPrivate)
{
    TempDir dir;
    EnvGuard runtime("XDG_RUNTIME_DIR");
    EnvGuard tmp("TMPDIR");
    unsetenv("XDG_RUNTIME_DIR");
    setenv("TMPDIR", dir.path().c_str(), 1);

    const std::string folder = SingleInstanceLock::LockFolder();
    ASSERT_EQ(folder, dir.file("orvelle-" + std::to_string(getuid())));
    struct stat st {};
    ASSERT_EQ(stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // A folder others can write to is refused rather than trusted.
    chmod(folder.c_str(), 0777);
    std::string error;
    EXPECT_EQ(SingleInstanceLock::LockFolder(&error), "");
    EXPECT_NE(error.find("not a private folder"), std::string::npos);
    SingleInstanceLock lock;
    EXPECT_EQ(lock.Acquire(kName), SingleInstanceLock::Result::Error);
}

struct CrashRun {
    int status = 0;
    std::string report;
};

CrashRun Crash(const TempDir& dir, const std::string& executable, bool startedByRestart, int sig)
{
    CrashRun run;
    run.status = InChild([&] {
        platform::CrashReporterSetup setup;
        setup.appName = "Presenter";
        setup.version = "2.4.1";
        setup.reportFolder = dir.file("log");
        setup.executable = executable;
        setup.restartArgs = {"/restart"};
        setup.startedByRestart = startedByRestart;
        std::string error;
        if (CrashReporter::Install(setup, &error) != 0)
            return 9;
        CrashReporter::SetLogFilePath("/first/path.log");
        CrashReporter::SetLogFilePath(dir.file("log/20261208.log"));
        raise(sig);
        return 8;
    });
    for (const auto& e : fs::directory_iterator(dir.file("log"))) {
        if (e.path().filename().string().rfind(CrashReporter::kReportPrefix, 0) == 0)
            run.report = ReadWholeFile(e.path().string());
    }
    return run;
}

TEST(CrashReporter, ReportThenRestartWithTheRestartArgument)
{
    TempDir dir;
    // A shell restarted with "/restart" exits with a code that proves the argument arrived.
    const std::string script = dir.file("restart.sh");
    WriteWholeFile(script, "#!/bin/sh\n[ \"$1\" = /restart ] && [ $# -eq 1 ] && exit 42\nexit 1\n");
    chmod(script.c_str(), 0700);

    const CrashRun run = Crash(dir, script, false, SIGSEGV);
    ASSERT_TRUE(WIFEXITED(run.status)) << run.status;
    EXPECT_EQ(WEXITSTATUS(run.status), 42);
    EXPECT_NE(run.report.find("Application: Presenter"), std::string::npos) << run.report;
    EXPECT_NE(run.report.find("Version: 2.4.1"), std::string::npos);
    EXPECT_NE(run.report.find("Signal: SIGSEGV (11)"), std::string::npos);
    EXPECT_NE(run.report.find("Log file: " + dir.file("log/20261208.log")), std::string::npos);
    EXPECT_NE(run.report.find("Backtrace:\n"), std::string::npos);
    EXPECT_NE(run.report.find("End of report"), std::string::npos);
}

TEST(CrashReporter, NoRestartLoopAndNoRestartWithoutExecutable)
{
    TempDir dir;
    // Crashing again right after a restart: the report is written, the signal ends the process.
    CrashRun run = Crash(dir, "/bin/true", true, SIGABRT);
    ASSERT_TRUE(WIFSIGNALED(run.status)) << run.status;
    EXPECT_EQ(WTERMSIG(run.status), SIGABRT);
    EXPECT_NE(run.report.find("Signal: SIGABRT"), std::string::npos);

    TempDir other;
    run = Crash(other, "", false, SIGFPE);
    ASSERT_TRUE(WIFSIGNALED(run.status));
    EXPECT_EQ(WTERMSIG(run.status), SIGFPE);
    EXPECT_NE(run.report.find("Signal: SIGFPE"), std::string::npos);
}

TEST(CrashReporter, InstallFailsWithAReason)
{
    TempDir dir;
    WriteWholeFile(dir.file("file"), "x");
    platform::CrashReporterSetup setup;
    setup.reportFolder = dir.file("file/log");
    std::string error;
    EXPECT_EQ(CrashReporter::Install(setup, &error), 1);
    EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
    EXPECT_FALSE(CrashReporter::IsInstalled());
}

} // namespace
