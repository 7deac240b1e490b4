#include "ProcProcessList.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <memory>

namespace platform {

namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool IsPid(const char* name)
{
    if (*name == '\0')
        return false;
    for (; *name != '\0'; ++name)
        if (*name < '0' || *name > '9')
            return false;
    return true;
}

// The executable of the process; for a script (or an unreadable link) the first two command-line
// words, which hold the interpreter and the script path.
std::string ExecutableOf(const std::string& pidFolder)
{
    char buffer[4096];
    const ssize_t n = ::readlink((pidFolder + "/exe").c_str(), buffer, sizeof buffer);
    std::string path = n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
    std::ifstream cmdline(pidFolder + "/cmdline", std::ios::binary);
    std::string words;
    std::getline(cmdline, words, '\0');
    std::string second;
    std::getline(cmdline, second, '\0');
    return path + '\n' + words + '\n' + second;
}

} // namespace

bool ProcProcessList::IsProcessRunning(const std::string& name) const
{
    if (name.empty())
        return false;
    const std::string wanted = Lower(name);
    std::unique_ptr<DIR, int (*)(DIR*)> proc(::opendir("/proc"), ::closedir);
    if (!proc)
        return false;
    std::size_t seen = 0;
    while (const dirent* entry = ::readdir(proc.get())) {
        if (!IsPid(entry->d_name))
            continue;
        if (++seen > kMaxProcesses)
            break;
        if (Lower(ExecutableOf(std::string("/proc/") + entry->d_name)).find(wanted) != std::string::npos)
            return true;
    }
    return false;
}

} // namespace platform
