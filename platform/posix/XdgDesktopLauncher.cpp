#include "XdgDesktopLauncher.h"

#include "ArgumentVector.h"

#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

extern char** environ;

namespace platform {

namespace {

std::string HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0')
        return home;
    const passwd* entry = getpwuid(getuid());
    return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "/";
}

} // namespace

bool StartDetachedProgram(const std::string& program, const std::vector<std::string>& args)
{
    const ArgumentVector argv(program, args);
    pid_t pid = -1;
    if (posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.Get(), environ) != 0)
        return false;
    // Nobody else waits for it.
    std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
    return true;
}

bool XdgDesktopLauncher::OpenUrl(const std::string& url) { return StartDetachedProgram("xdg-open", {url}); }

bool XdgDesktopLauncher::OpenHomeFolder() { return StartDetachedProgram("xdg-open", {HomeFolder()}); }

} // namespace platform
