#include "UserFolders.h"

#include "FileAccess.h"
#include "XdgFolders.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// The program's own folder inside the user's XDG folder; "" when the user has none.
std::string AppFolderIn(platform::XdgFolder folder, const CUserFolders::Environment& env)
{
    const std::string base = platform::XdgFolderPath(folder, env);
    return base.empty() ? base : (fs::path(base) / CUserFolders::kAppFolder).string();
}

} // namespace

CUserFolders CUserFolders::For(const std::string& installFolder)
{
    return Decide(installFolder, platform::IsWritableByUser(installFolder), platform::ProcessEnvironment);
}

CUserFolders CUserFolders::Decide(const std::string& installFolder, bool installWritable, const Environment& env)
{
    CUserFolders folders;
    folders.m_install = folders.m_config = folders.m_state = folders.m_skin = installFolder;
    const std::string cache = AppFolderIn(platform::XdgFolder::CacheHome, env);
    folders.m_userCache = cache;
    if (installWritable)
        return folders;
    const std::string config = AppFolderIn(platform::XdgFolder::ConfigHome, env);
    const std::string state = AppFolderIn(platform::XdgFolder::StateHome, env);
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
