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

// The keys of the entry's [Desktop Entry] group that decide whether to rewrite it; false when
// the file cannot be read.
struct EntryKeys {
    bool hasExec = false;
    std::string exec;
    // The user switched the entry off: the desktop's autostart settings write Hidden=true (the
    // way a packaged system-wide entry is disabled) or X-GNOME-Autostart-enabled=false.
    bool switchedOff = false;
};

bool ReadEntry(const std::string& path, EntryKeys* keys)
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
        if (!inMainGroup)
            continue;
        if (line.rfind("Exec=", 0) == 0 && !keys->hasExec) {
            keys->hasExec = true;
            keys->exec = line.substr(5);
        } else if (line == "Hidden=true" || line == "X-GNOME-Autostart-enabled=false") {
            keys->switchedOff = true;
        }
    }
    return true;
}

} // namespace

bool CAutorunEntry::Refresh(const std::string& program, const std::string& entryPath)
{
    if (entryPath.empty())
        return false;
    const std::string exec = ExecValue(program);
    EntryKeys current;
    if (ReadEntry(entryPath, &current) && (current.switchedOff || (current.hasExec && current.exec == exec)))
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
