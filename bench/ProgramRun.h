#pragma once
// Running the built program under a private Xvfb from a benchmark: children that end with the
// benchmark, an environment that steers them to that display only, and the program's log.

#include "ChildProcess.h"
#include "ProcCpu.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

// The environment of this program without what would steer the children elsewhere.
inline std::vector<std::string> CleanEnv(const std::vector<std::string>& extra)
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string s = *e;
        if (s.rfind("QT_QPA_PLATFORM=", 0) != 0 && s.rfind("DISPLAY=", 0) != 0 && s.rfind("XDG_RUNTIME_DIR=", 0) != 0
            && s.rfind("ORVELLE_", 0) != 0)
            env.push_back(s);
    }
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

inline void StopChild(pid_t pid)
{
    // Already reaped (or ended): never signal a process id that may have been reused.
    if (pid <= 0 || waitpid(pid, nullptr, WNOHANG) != 0)
        return;
    Stop(pid);
}

// Children that end with the benchmark, in reverse order of start.
class Children {
public:
    Children() = default;
    Children(const Children&) = delete;
    Children& operator=(const Children&) = delete;
    ~Children()
    {
        for (auto it = m_pids.rbegin(); it != m_pids.rend(); ++it)
            StopChild(*it);
    }
    pid_t Add(pid_t pid)
    {
        if (pid > 0)
            m_pids.push_back(pid);
        return pid;
    }

private:
    std::vector<pid_t> m_pids;
};

// A new private folder "/tmp/<prefix>-XXXXXX" for one run; empty (and a line on standard error
// naming `program`) when it cannot be made.
inline std::filesystem::path MakeScratchFolder(const char* program, const std::string& prefix)
{
    std::string pattern = "/tmp/" + prefix + "-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        std::perror((std::string(program) + ": mkdtemp").c_str());
        return {};
    }
    return pattern;
}

// Starts Xvfb on a free display with one screen of `geometry` (for example "1920x1080x24");
// "DISPLAY=:n" for the children, empty when it did not start. Its process id goes to `pid` when given.
inline std::string StartXvfb(Children* children, const std::string& xvfb, const std::string& geometry, int outputFd,
                             pid_t* pid = nullptr)
{
    pid_t server = -1;
    const std::string display = SpawnXvfb(xvfb, geometry, CleanEnv({}), &server, outputFd);
    children->Add(server);
    if (pid != nullptr)
        *pid = server;
    return display.empty() ? std::string() : "DISPLAY=" + display;
}

// Waits until a file in the program's log folder holds `text`; false when the time ran out or the
// program ended first.
inline bool WaitForLog(const std::filesystem::path& logDir, const std::string& text, std::chrono::milliseconds timeout,
                       pid_t pid, std::chrono::milliseconds poll = std::chrono::milliseconds(100))
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(logDir, ec)) {
            if (ReadAll(e.path()).find(text) != std::string::npos)
                return true;
        }
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return false;
        std::this_thread::sleep_for(poll);
    }
    return false;
}

// A private copy of the built program's install folder, so that its log and settings stay in the
// benchmark's scratch folder; false (with the reason in `ec`) when `bin` has no built program.
inline bool CopyInstall(const std::filesystem::path& bin, const std::filesystem::path& install, std::error_code& ec)
{
    std::filesystem::create_directories(install, ec);
    for (const char* file : {"Orvelle", "ImgRes.zip", "InitConfig.ini", "SetupVersion.txt"}) {
        if (!ec)
            std::filesystem::copy_file(bin / file, install / file, ec);
    }
    return !ec;
}

// One run's scratch folder ("/tmp/<prefix>-XXXXXX") holding a copy of the built install folder
// (`install`) and a private runtime folder (`runtime`, for the virtual receiver's socket).
// Empty `scratch`, with the reason on standard error naming `program`, when it cannot be made.
struct ProgramScratch {
    std::filesystem::path scratch;
    std::filesystem::path install;
    std::filesystem::path runtime;
};
inline ProgramScratch PrepareProgramScratch(const char* program, const std::string& prefix,
                                            const std::filesystem::path& bin)
{
    ProgramScratch run;
    const std::filesystem::path scratch = MakeScratchFolder(program, prefix);
    if (scratch.empty())
        return run;
    std::error_code ec;
    if (!CopyInstall(bin, scratch / "install", ec)) {
        std::fprintf(stderr, "%s: %s has no built Orvelle install folder (%s)\n", program, bin.c_str(),
                     ec.message().c_str());
        std::filesystem::remove_all(scratch, ec);
        return run;
    }
    std::filesystem::create_directories(scratch / "rt", ec);
    std::filesystem::permissions(scratch / "rt", std::filesystem::perms::owner_all, ec);
    return {scratch, scratch / "install", scratch / "rt"};
}

// The X server and, when `compositor` is asked for, the compositing manager the run needs; false
// with a line on standard error naming `program` when one is not installed.
inline bool FindDisplayTools(const char* program, bool compositor, std::string* xvfb, std::string* xcompmgr)
{
    *xvfb = Which("Xvfb");
    *xcompmgr = Which("xcompmgr");
    if (xvfb->empty() || (compositor && xcompmgr->empty())) {
        std::fprintf(stderr, "%s: %s is not installed\n", program, xvfb->empty() ? "Xvfb" : "xcompmgr");
        return false;
    }
    return true;
}

// The options every benchmark that runs the program takes: --compositor on|off, --seconds N,
// --bin DIR (the built program's folder), --keep (the scratch folder stays).
struct RunOptions {
    bool compositor = false;
    int seconds = 30;
    std::filesystem::path bin;
    bool keep = false;
};

// Takes `arg` (with `value`, the argument after it) when it is one of those: how many arguments
// it used, 0 when it is none of them.
inline int TakeRunOption(const std::string& arg, const std::string& value, RunOptions* o)
{
    if (arg == "--compositor" && (value == "on" || value == "off")) {
        o->compositor = value == "on";
        return 2;
    }
    if (arg == "--seconds" && !value.empty()) {
        o->seconds = std::atoi(value.c_str());
        return 2;
    }
    if (arg == "--bin" && !value.empty()) {
        o->bin = value;
        return 2;
    }
    if (arg == "--keep") {
        o->keep = true;
        return 1;
    }
    return 0;
}
