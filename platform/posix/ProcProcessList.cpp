#include "ProcProcessList.h"

#include "DirEntries.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <limits>

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

// The target of the process's executable link; "" when it cannot be read.
std::string ExecutableLink(const std::string& pidFolder)
{
    char buffer[4096];
    const ssize_t n = ::readlink((pidFolder + "/exe").c_str(), buffer, sizeof buffer);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

// A running program whose file was replaced (an upgrade) still runs the old one, which the
// kernel marks so.
constexpr const char* kDeletedSuffix = " (deleted)";

std::string WithoutDeletedMark(std::string target)
{
    const std::size_t suffix = std::strlen(kDeletedSuffix);
    if (target.size() > suffix && target.compare(target.size() - suffix, suffix, kDeletedSuffix) == 0)
        target.resize(target.size() - suffix);
    return target;
}

// The executable of the process; for a script (or an unreadable link) the first two command-line
// words, which hold the interpreter and the script path.
std::string ExecutableOf(const std::string& pidFolder)
{
    const std::string path = ExecutableLink(pidFolder);
    std::ifstream cmdline(pidFolder + "/cmdline", std::ios::binary);
    std::string words;
    std::getline(cmdline, words, '\0');
    std::string second;
    std::getline(cmdline, second, '\0');
    return path + '\n' + words + '\n' + second;
}

} // namespace

bool ProcProcessList::AnyProcess(std::size_t limit, const std::function<bool(const std::string&)>& visit) const
{
    std::size_t seen = 0;
    bool found = false;
    AnyDirEntry(m_proc, [&](const char* name) {
        if (!IsPid(name))
            return false;
        // Past the limit the walk ends without a match.
        if (++seen > limit)
            return true;
        found = visit(m_proc + "/" + name);
        return found;
    });
    return found;
}

bool ProcProcessList::IsProcessRunning(const std::string& name) const
{
    if (name.empty())
        return false;
    const std::string wanted = Lower(name);
    return AnyProcess(kMaxProcesses, [&](const std::string& pidFolder) {
        return Lower(ExecutableOf(pidFolder)).find(wanted) != std::string::npos;
    });
}

bool ProcProcessList::IsExecutableRunning(const std::string& path) const
{
    return AnyProcess(std::numeric_limits<std::size_t>::max(), [&](const std::string& pidFolder) {
        const std::string target = ExecutableLink(pidFolder);
        return !target.empty() && WithoutDeletedMark(target) == path;
    });
}

} // namespace platform
