#pragma once
// Starting the real programs and tools from tests and benchmarks: find a tool, spawn a child
// with exactly the environment given, wait for it and stop it, start a private X server.

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

// This process's environment without what would steer a child elsewhere: the offscreen platform,
// the display, the runtime folder, the program's own settings and the leak checker's options.
inline std::vector<std::string> InheritedEnv()
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string s = *e;
        if (s.rfind("QT_QPA_PLATFORM=", 0) != 0 && s.rfind("DISPLAY=", 0) != 0 &&
            s.rfind("XDG_RUNTIME_DIR=", 0) != 0 && s.rfind("ORVELLE_", 0) != 0 && s.rfind("LSAN_OPTIONS=", 0) != 0)
            env.push_back(s);
    }
    return env;
}

// InheritedEnv with the display `display` and `extra` added: what a child on a test's X server gets.
inline std::vector<std::string> DisplayEnv(const std::string& display, const std::vector<std::string>& extra = {})
{
    std::vector<std::string> env = InheritedEnv();
    env.push_back("DISPLAY=" + display);
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

// Asks `done` every `step` until it holds (true) or `limit` passes (false).
inline bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit,
                    std::chrono::milliseconds step = std::chrono::milliseconds(50))
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(step);
    }
    return true;
}

// The full path of a system tool, empty when it is not installed.
inline std::string Which(const std::string& tool)
{
    for (const char* dir : {"/usr/bin", "/usr/local/bin", "/bin"}) {
        const std::filesystem::path p = std::filesystem::path(dir) / tool;
        if (access(p.c_str(), X_OK) == 0)
            return p.string();
    }
    return {};
}

// Starts args[0] with `env` as its whole environment; standard output and error go to
// `outputFd` when one is given. The child's id, or -1.
inline pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& env, int outputFd = -1)
{
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const auto& e : env)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (outputFd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, outputFd, STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, outputFd, STDERR_FILENO);
    }
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// The wait status once the child ends within `timeout`, else nothing.
inline std::optional<int> WaitExit(pid_t pid, std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    do {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return status;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < end);
    return std::nullopt;
}

// Starts `xvfb` on a free display with one screen of `geometry` (for example "1280x800x24");
// ":n" once it is up, else empty. Its id goes to `pid` (-1 when it could not be spawned).
inline std::string SpawnXvfb(const std::string& xvfb, const std::string& geometry, const std::vector<std::string>& env,
                             pid_t* pid, int outputFd = -1)
{
    *pid = -1;
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    *pid = Spawn({xvfb, "-displayfd", std::to_string(fds[1]), "-screen", "0", geometry, "-nolisten", "tcp"}, env,
                 outputFd);
    close(fds[1]);
    char buf[16] = {};
    const ssize_t n = read(fds[0], buf, sizeof buf - 1);
    close(fds[0]);
    if (*pid <= 0 || n <= 0)
        return {};
    return ":" + std::to_string(std::atoi(buf));
}

// SIGTERM, and SIGKILL when the child is still there 3 s later; reaps it either way.
inline void Stop(pid_t pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    if (!WaitExit(pid, std::chrono::seconds(3))) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

// Every day's log of an install folder, oldest first as the names sort.
inline std::string InstallLogText(const std::filesystem::path& installFolder)
{
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(installFolder / "log", ec)) {
        if (e.path().extension() == ".log")
            files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    std::string text;
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        text += s.str();
    }
    return text;
}
