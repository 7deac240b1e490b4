#pragma once
// The orvelle-virtual-remote program run by a test; ended with SIGTERM if still running.

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <string>
#include <vector>

extern char** environ;

class RemoteProcess {
public:
    explicit RemoteProcess(std::vector<std::string> args)
    {
        args.insert(args.begin(), ORVELLE_VIRTUAL_REMOTE);
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
            m_pid = -1;
    }
    ~RemoteProcess()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            Wait();
        }
    }
    bool Running() const { return m_pid > 0; }
    int Wait()
    {
        int status = 0;
        if (m_pid > 0 && ::waitpid(m_pid, &status, 0) == m_pid)
            m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t m_pid = -1;
};
