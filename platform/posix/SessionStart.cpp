#include "SessionStart.h"

#include "ArgumentVector.h"

#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace platform {

int StartInNewSession(const std::string& program, const std::vector<std::string>& args)
{
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    // The starter may block its stop signals and ignore SIGCHLD; the child starts with neither.
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attr, &none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGCHLD, SIGPIPE})
        sigaddset(&defaults, sig);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);

    const ArgumentVector argv(program, args);
    pid_t pid = -1;
    // posix_spawn reports its error as the result; callers read errno as after any failed call.
    if (const int rc = posix_spawn(&pid, program.c_str(), &actions, &attr, argv.Get(), environ); rc != 0) {
        errno = rc;
        pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    return pid;
}

} // namespace platform
