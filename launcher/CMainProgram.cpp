#include "CMainProgram.h"

#include "DirEntries.h"

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>

extern char** environ;

namespace {

// A running program whose file was replaced (an upgrade) still runs the old one.
constexpr const char* kDeletedSuffix = " (deleted)";

std::string WithoutDeletedMark(std::string target)
{
    const size_t suffix = std::strlen(kDeletedSuffix);
    if (target.size() > suffix && target.compare(target.size() - suffix, suffix, kDeletedSuffix) == 0)
        target.resize(target.size() - suffix);
    return target;
}

} // namespace

bool CMainProgram::Exists() const
{
    struct stat st {};
    return ::stat(m_path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool CMainProgram::IsRunning(const std::string& procFolder) const
{
    return platform::AnyDirEntry(procFolder, [&](const char* pid) {
        if (!std::isdigit(static_cast<unsigned char>(pid[0])))
            return false;
        const std::string link = procFolder + "/" + pid + "/exe";
        char target[PATH_MAX];
        const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
        return n > 0 && WithoutDeletedMark(std::string(target, static_cast<size_t>(n))) == m_path;
    });
}

int CMainProgram::Start() const
{
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    // The launcher blocks its stop signals and ignores SIGCHLD (so ended children are reaped by
    // the kernel); the program must start with neither.
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attr, &none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGCHLD, SIGPIPE})
        sigaddset(&defaults, sig);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    // The log file and the instance lock stay with the launcher.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);

    std::string program = m_path;
    std::string arg = kHiddenArg;
    char* argv[] = {program.data(), arg.data(), nullptr};
    pid_t pid = -1;
    // posix_spawn reports its error as the result; callers read errno as after any failed call.
    if (const int rc = posix_spawn(&pid, m_path.c_str(), &actions, &attr, argv, environ); rc != 0) {
        errno = rc;
        pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    return pid;
}
