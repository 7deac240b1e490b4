#include "KVOSDKConfig.h"

#include "KVOHidThreadManager.h"
#include "KVOLog.h"
#include "KVOReportDecoder.h"
#include "XdgFolders.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <locale>
#include <map>
#include <sstream>

namespace {

constexpr const char* kDefaultFileText =
    "[Debug]\n"
    "DebugRenderTime=0\n"
    "DebugDataLatencyAlertEnabled=0\n"
    "DebugDataLatencyThresholdMS=500\n"
    "DebugPacketDeltaTime=0\n"
    "DebugDataReceiveToProcessLatency=0\n"
    "[DPI]\n"
    "DebugDpi=0\n"
    "Dpi=80\n"
    "[Cursor]\n"
    "SpeedScale=1.0\n";

constexpr size_t kMaxSpeedScaleText = 32;

using IniValues = std::map<std::string, std::string>;  // "Section/Key" -> value

std::string Trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

IniValues ReadIni(std::istream& in)
{
    IniValues values;
    std::string section;
    std::string line;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        if (line.front() == '[') {
            const size_t close = line.find(']');
            section = close == std::string::npos ? std::string() : Trim(line.substr(1, close - 1));
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        values.emplace(section + "/" + Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)));
    }
    return values;
}

// Leading digits as an integer, as the system's INI integer reader does; `fallback` when none.
long ReadInt(const IniValues& values, const char* key, long fallback)
{
    const auto it = values.find(key);
    if (it == values.end() || it->second.empty())
        return fallback;
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(it->second.c_str(), &end, 10);
    if (end == it->second.c_str() || errno == ERANGE)
        return fallback;
    return v;
}

// A decimal number with a point, whatever the process locale says.
float ReadDecimal(const IniValues& values, const char* key, float fallback)
{
    const auto it = values.find(key);
    if (it == values.end())
        return fallback;
    std::istringstream text(it->second.substr(0, kMaxSpeedScaleText));
    text.imbue(std::locale::classic());
    float v = fallback;
    if (!(text >> v))
        return fallback;
    return v;
}

} // namespace

const KVOSDKConfigValues& KVOSDKConfig::GetInstance()
{
    static const KVOSDKConfigValues values = Load(DefaultPath());
    return values;
}

std::string KVOSDKConfig::DefaultPath()
{
    const std::string data = platform::XdgFolderPath(platform::XdgFolder::DataHome);
    if (data.empty())
        return {};
    return (std::filesystem::path(data) / "Quillon" / "Software" / "SDKConfig.ini").string();
}

KVOSDKConfigValues KVOSDKConfig::Load(const std::string& path)
{
    KVOSDKConfigValues config;
    if (path.empty())
        return config;
    const std::filesystem::path file(path);
    std::error_code ec;
    // The data folder may itself be new on a fresh account, so every missing level is made.
    std::filesystem::create_directories(file.parent_path(), ec);
    if (ec) {
        WriteLog(KVO_LOG_WARN, "SDKConfig.ini folder cannot be created: %s", ec.message().c_str());
        return config;
    }
    if (!std::filesystem::exists(file, ec)) {
        std::ofstream out(file);
        out << kDefaultFileText;
        if (!out)
            WriteLog(KVO_LOG_WARN, "SDKConfig.ini cannot be written: %s", path.c_str());
        return config;
    }
    std::ifstream in(file);
    if (!in) {
        WriteLog(KVO_LOG_WARN, "SDKConfig.ini cannot be read: %s", path.c_str());
        return config;
    }
    return Parse(in);
}

KVOSDKConfigValues KVOSDKConfig::Parse(std::istream& in)
{
    KVOSDKConfigValues config;
    const IniValues values = ReadIni(in);
    config.debugRenderTime = ReadInt(values, "Debug/DebugRenderTime", 0) != 0;
    config.dataLatencyAlertEnabled = ReadInt(values, "Debug/DebugDataLatencyAlertEnabled", 0) != 0;
    config.dataLatencyThresholdMs = static_cast<double>(ReadInt(values, "Debug/DebugDataLatencyThresholdMS", 500));
    config.debugPacketDeltaTime = ReadInt(values, "Debug/DebugPacketDeltaTime", 0) != 0;
    config.dataReceiveToProcessLatency = ReadInt(values, "Debug/DebugDataReceiveToProcessLatency", 0) != 0;
    config.debugDpi = ReadInt(values, "DPI/DebugDpi", 0) != 0;
    config.dpi = static_cast<int>(ReadInt(values, "DPI/Dpi", 80));
    config.speedScale = ReadDecimal(values, "Cursor/SpeedScale", 1.0f);
    return config;
}

void ApplySDKConfigDiagnostics(const KVOSDKConfigValues& values)
{
    SetKVODataLatencyAlert(values.dataLatencyAlertEnabled, values.dataLatencyThresholdMs);
    SetReceiveLatencyLogging(values.dataReceiveToProcessLatency);
}
