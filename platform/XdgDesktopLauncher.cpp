#include "XdgDesktopLauncher.h"

#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

extern char** environ;

namespace platform {

namespace {

bool StartOpener(const std::string& target)
{
    std::string program = "xdg-open";
    char* argv[] = {program.data(), const_cast<char*>(target.c_str()), nullptr};
    pid_t pid = -1;
    if (posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv, environ) != 0)
        return false;
    // xdg-open ends once the handler runs; nobody else waits for it.
    std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
    return true;
}

std::string HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0')
        return home;
    const passwd* entry = getpwuid(getuid());
    return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "/";
}

} // namespace

bool XdgDesktopLauncher::OpenUrl(const std::string& url) { return StartOpener(url); }

bool XdgDesktopLauncher::OpenHomeFolder() { return StartOpener(HomeFolder()); }

} // namespace platform
