#include "XdgFolders.h"

#include <cstdlib>
#include <filesystem>

namespace platform {

namespace {

struct FolderRule {
    const char* variable;
    const char* homeDefault;  // null: no default
};

FolderRule RuleOf(XdgFolder folder)
{
    switch (folder) {
    case XdgFolder::ConfigHome:
        return {"XDG_CONFIG_HOME", ".config"};
    case XdgFolder::DataHome:
        return {"XDG_DATA_HOME", ".local/share"};
    case XdgFolder::StateHome:
        return {"XDG_STATE_HOME", ".local/state"};
    case XdgFolder::CacheHome:
        return {"XDG_CACHE_HOME", ".cache"};
    case XdgFolder::RuntimeDir:
        return {"XDG_RUNTIME_DIR", nullptr};
    }
    return {"", nullptr};
}

bool IsAbsolute(const char* path) { return path != nullptr && path[0] == '/'; }

} // namespace

const char* ProcessEnvironment(const char* name) { return std::getenv(name); }

std::string XdgFolderPath(XdgFolder folder, const EnvironmentLookup& env)
{
    const FolderRule rule = RuleOf(folder);
    if (const char* value = env(rule.variable); IsAbsolute(value))
        return value;
    const char* home = env("HOME");
    if (rule.homeDefault == nullptr || !IsAbsolute(home))
        return {};
    return (std::filesystem::path(home) / rule.homeDefault).string();
}

} // namespace platform
