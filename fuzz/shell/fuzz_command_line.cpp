// Arbitrary command lines: the parser must take or refuse each without failing, and every setting
// they would change goes through the checked setters, where a value that is not stored must leave
// config.ini as it was and a stored one must be read back as the file now holds it.

#include "CSettingAccess.h"
#include "CommandLine.h"
#include "ConfigManager.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

// libFuzzer may end the process without running exit handlers, so each run also clears the
// folders that earlier, finished runs left behind.
const std::filesystem::path& WorkFolder()
{
    static const std::filesystem::path folder = [] {
        const auto temp = std::filesystem::temp_directory_path();
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(temp, ec)) {
            const std::string name = entry.path().filename().string();
            if (name.starts_with("fuzz_command_line.") && !std::filesystem::exists("/proc/" + name.substr(18)))
                std::filesystem::remove_all(entry.path(), ec);
        }
        auto path = temp / ("fuzz_command_line." + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        std::atexit([] { std::filesystem::remove_all(WorkFolder()); });
        return path;
    }();
    return folder;
}

CConfigManager& Settings()
{
    static CConfigManager& settings = [] () -> CConfigManager& {
        static CConfigManager s;
        s.SetInstallFolder(WorkFolder().string());
        s.FirstRunDefaults();
        s.LoadAll();
        return s;
    }();
    return settings;
}

std::string FileText()
{
    std::ifstream in(WorkFolder() / "config.ini", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Arguments are separated by NUL bytes, as in a process's command line.
    std::vector<std::string> args(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            args.emplace_back();
        else
            args.back() += static_cast<char>(data[i]);
    }
    const CommandLine::Parsed parsed = CommandLine::Parse(args);
    if (!parsed.error.empty() && !parsed.requests.empty())
        std::abort();

    CSettingAccess access(Settings());
    for (const platform::RemoteRequest& request : parsed.requests) {
        if (request.method != "SetSetting")
            continue;
        const std::string& section = std::get<std::string>(request.args.at(0));
        const std::string& key = std::get<std::string>(request.args.at(1));
        const std::string& value = std::get<std::string>(request.args.at(2));
        const std::string before = FileText();
        std::string why;
        const CSettingAccess::Result result = access.Set(section, key, value, why);
        if (result != CSettingAccess::Result::Stored) {
            if (FileText() != before || why.empty())
                std::abort();
            continue;
        }
        std::string back;
        if (!access.Get(section, key, back) || FileText().find(key + " = " + back) == std::string::npos)
            std::abort();
    }
    return 0;
}
