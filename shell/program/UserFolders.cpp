#include "UserFolders.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// $<variable> when it is an absolute path (XDG ignores relative ones), else $HOME/<fallback>.
std::string XdgFolder(const CUserFolders::Environment& env, const char* variable, const char* fallback)
{
    const char* value = env(variable);
    if (value != nullptr && value[0] == '/')
        return (fs::path(value) / CUserFolders::kAppFolder).string();
    const char* home = env("HOME");
    if (home == nullptr || home[0] != '/')
        return {};
    return (fs::path(home) / fallback / CUserFolders::kAppFolder).string();
}

} // namespace

CUserFolders CUserFolders::For(const std::string& installFolder)
{
    // access() answers for this user, also for a read-only mount.
    const bool writable = ::access(installFolder.c_str(), W_OK) == 0;
    return Decide(installFolder, writable, [](const char* name) { return std::getenv(name); });
}

CUserFolders CUserFolders::Decide(const std::string& installFolder, bool installWritable, const Environment& env)
{
    CUserFolders folders;
    folders.m_install = folders.m_config = folders.m_state = folders.m_skin = installFolder;
    const std::string cache = XdgFolder(env, "XDG_CACHE_HOME", ".cache");
    folders.m_userCache = cache;
    if (installWritable)
        return folders;
    const std::string config = XdgFolder(env, "XDG_CONFIG_HOME", ".config");
    const std::string state = XdgFolder(env, "XDG_STATE_HOME", ".local/state");
    if (config.empty() || state.empty() || cache.empty())
        return folders;
    folders.m_portable = false;
    folders.m_config = config;
    folders.m_state = state;
    folders.m_skin = cache;
    return folders;
}

bool CUserFolders::Create() const
{
    if (m_portable)
        return true;
    bool ok = true;
    for (const std::string* folder : {&m_config, &m_state, &m_skin}) {
        std::error_code ec;
        if (fs::is_directory(*folder, ec))
            continue;
        fs::create_directories(*folder, ec);
        if (ec) {
            ok = false;
            continue;
        }
        fs::permissions(*folder, fs::perms::owner_all, ec);
    }
    return ok;
}

void CUserFolders::UseInstalledSkinIfMissing()
{
    std::error_code ec;
    if (!fs::is_directory(fs::path(m_skin) / "ImgRes", ec))
        m_skin = m_install;
}
