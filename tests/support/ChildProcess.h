#pragma once
// Starting the real programs and tools from tests and benchmarks: find a tool, spawn a child
// with exactly the environment given.

#include <spawn.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

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
