#include "CMirrorScreen.h"

#include "ICommandPipe.h"
#include "IKVOMultiDeviceTooltip.h"
#include "IProcessList.h"
#include "KVOLog.h"
#include "KVOPhysicalDeviceTracker.h"
#include "XdgDesktopLauncher.h"
#include "XdgFolders.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

namespace {

// The numbers of a dotted version; nothing for an empty text or anything but digits and dots.
std::optional<std::vector<unsigned long>> Components(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    std::vector<unsigned long> out;
    std::string part;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '.') {
            // Nine digits fit any 32-bit number; longer is no version of ours.
            if (part.empty() || part.size() > 9)
                return std::nullopt;
            out.push_back(std::stoul(part));
            part.clear();
        } else if (text[i] >= '0' && text[i] <= '9') {
            part += text[i];
        } else {
            return std::nullopt;
        }
    }
    return out;
}

} // namespace

CMirrorScreen::CMirrorScreen(MirrorScreenServices services) : m_services(std::move(services)) {}

int CMirrorScreen::CompareVersion(const std::string& a, const std::string& b)
{
    const auto left = Components(a);
    const auto right = Components(b);
    if (!left || !right)
        return left ? 1 : (right ? -1 : 0);
    const std::size_t count = std::max(left->size(), right->size());
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned long l = i < left->size() ? (*left)[i] : 0;
        const unsigned long r = i < right->size() ? (*right)[i] : 0;
        if (l != r)
            return l < r ? -1 : 1;
    }
    return 0;
}

std::string CMirrorScreen::ReadVersion(const std::string& appFolder)
{
    std::ifstream file(std::filesystem::path(appFolder) / kVersionFile);
    std::string line;
    if (!file || !std::getline(file, line))
        return {};
    const auto first = line.find_first_not_of(" \t\r");
    const auto last = line.find_last_not_of(" \t\r");
    return first == std::string::npos ? std::string() : line.substr(first, last - first + 1);
}

std::string CMirrorScreen::DefaultAppFolder()
{
    const std::string data = platform::XdgFolderPath(platform::XdgFolder::DataHome);
    return data.empty() ? std::string() : data + "/Mirrola/Software";
}

bool CMirrorScreen::SendMirrorScreenCommand()
{
    // The text "1" with its terminating zero.
    static const std::string kCommand("1", 2);
    std::string error;
    const platform::ICommandPipe::Result result = m_services.pipe->SendOnce(kCommand, kConnectWaitMs, &error);
    if (result == platform::ICommandPipe::Result::Sent) {
        WriteLog(KVO_LOG_INFO, "SendMirrorScreenCommand Send Sucessful");
        return true;
    }
    if (result == platform::ICommandPipe::Result::NoListen)
        WriteLog(KVO_LOG_DEBUG, "SendMirrorScreenCommand listen Error :%s", error.c_str());
    WriteLog(KVO_LOG_INFO, "SendMirrorScreenCommand Send Failed");
    return false;
}

void CMirrorScreen::ShowNotice(const char* key)
{
    if (m_services.tooltip != nullptr)
        m_services.tooltip->ShowTooltip("tooltip", key, kNoticeMs);
    else if (!ShowKVOTooltip("tooltip", key, kNoticeMs))
        WriteLog(KVO_LOG_DEBUG, "MirrorScreen no window for notice %s", key);
}

bool CMirrorScreen::StartDetached(const std::string& program)
{
    return platform::StartDetachedProgram(program);
}

void CMirrorScreen::MirrorScreen()
{
    WriteLog(KVO_LOG_INFO, "MirrorScreen Begin");
    if (SendMirrorScreenCommand()) {
        WriteLog(KVO_LOG_INFO, "MirrorScreen SendMirrorScreenCommand Successful");
        return;
    }
    const std::string folder = m_services.appFolder.empty() ? DefaultAppFolder() : m_services.appFolder;
    if (folder.empty())
        WriteLog(KVO_LOG_ERROR, "MirrorScreen SHGetSpecialFolderPath Failed");
    const std::string program = folder + "/" + kProcessName;
    const bool running = m_services.processes->IsProcessRunning(kProcessName);
    std::error_code ec;
    if (!running && !std::filesystem::is_regular_file(program, ec)) {
        WriteLog(KVO_LOG_INFO, "MirrorScreen Not Find Mirrola");
        ShowNotice("no_mirrola");
    } else if (CompareVersion(ReadVersion(folder), kMinVersion) < 0) {
        WriteLog(KVO_LOG_INFO, "MirrorScreen Mirrola Is Less Than 2.4.4.17");
        ShowNotice("mirrola_version_lower");
        return;
    } else if (!running) {
        WriteLog(KVO_LOG_INFO, "MirrorScreen Start Mirrola");
        ShowNotice("start_mirrola");
        // No command this time: the application takes the next press.
        if (!StartDetached(program))
            WriteLog(KVO_LOG_ERROR, "MirrorScreen start of %s failed", program.c_str());
    } else {
        WriteLog(KVO_LOG_INFO, "MirrorScreen Mirrola Is Exist");
        SendMirrorScreenCommand();
    }
    WriteLog(KVO_LOG_INFO, "MirrorScreen End");
}
