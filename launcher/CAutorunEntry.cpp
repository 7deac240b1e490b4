#include "CAutorunEntry.h"

#include "CurrentProcess.h"
#include "XdgFolders.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// A desktop entry's string value: a backslash is written as two.
std::string StringValue(const std::string& text)
{
    std::string value;
    for (char c : text) {
        if (c == '\\')
            value += '\\';
        value += c;
    }
    return value;
}

} // namespace

std::string CAutorunEntry::EntryPath()
{
    const std::string config = platform::XdgFolderPath(platform::XdgFolder::ConfigHome);
    if (config.empty())
        return {};
    return (fs::path(config) / "autostart" / (std::string(kEntryName) + ".desktop")).string();
}

std::string CAutorunEntry::ExecValue(const std::string& program)
{
    // Inside the quotes ", `, $ and \ take a backslash; '%' starts a field code and is doubled.
    // Then the whole value is a string value, whose own escape doubles every backslash.
    std::string quoted = "\"";
    for (char c : program) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        if (c == '%')
            quoted += '%';
        quoted += c;
    }
    quoted += '"';
    return StringValue(quoted);
}

namespace {

// The Exec value of the entry's [Desktop Entry] group; false when the file or the key is missing.
bool ReadExec(const std::string& path, std::string* exec)
{
    std::ifstream in(path);
    if (!in)
        return false;
    std::string line;
    bool inMainGroup = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line.front() == '[') {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        if (inMainGroup && line.rfind("Exec=", 0) == 0) {
            *exec = line.substr(5);
            return true;
        }
    }
    return false;
}

} // namespace

bool CAutorunEntry::Refresh(const std::string& program, const std::string& entryPath)
{
    if (entryPath.empty())
        return false;
    const std::string exec = ExecValue(program);
    std::string current;
    if (ReadExec(entryPath, &current) && current == exec)
        return false;

    std::ostringstream text;
    text << "[Desktop Entry]\n"
         << "Type=Application\n"
         << "Name=" << kEntryName << "\n"
         << "Comment=Starts Orvelle when a receiver of the presentation remote is plugged in\n"
         << "Exec=" << exec << "\n"
         // A launcher that was removed is skipped at log-on instead of failing there.
         << "TryExec=" << StringValue(program) << "\n"
         << "NoDisplay=true\n"
         << "X-GNOME-Autostart-enabled=true\n";
    std::error_code ec;
    const fs::path target(entryPath);
    fs::create_directories(target.parent_path(), ec);
    // Written beside the entry and renamed over it, so a crash never leaves half an entry.
    const fs::path scratch = target.string() + ".tmp" + std::to_string(platform::CurrentProcessId());
    {
        std::ofstream out(scratch, std::ios::trunc);
        out << text.str();
        if (!out.flush()) {
            fs::remove(scratch, ec);
            return false;
        }
    }
    fs::rename(scratch, target, ec);
    if (ec) {
        fs::remove(scratch, ec);
        return false;
    }
    return true;
}
