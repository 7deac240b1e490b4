#pragma once
// The user's base folders as the XDG rules define them. Every file of ours that lives in a
// user's folder (settings, logs, caches, the autostart entry, other programs' data) starts here,
// so the rules are applied the same way everywhere.

#include <functional>
#include <string>

namespace platform {

enum class XdgFolder {
    ConfigHome,  // $XDG_CONFIG_HOME, else $HOME/.config
    DataHome,    // $XDG_DATA_HOME, else $HOME/.local/share
    StateHome,   // $XDG_STATE_HOME, else $HOME/.local/state
    CacheHome,   // $XDG_CACHE_HOME, else $HOME/.cache
    RuntimeDir,  // $XDG_RUNTIME_DIR only: it has no default under the home folder
};

// Reads one environment variable; null when it is not set.
using EnvironmentLookup = std::function<const char*(const char* name)>;

// The process's own environment.
const char* ProcessEnvironment(const char* name);

// The folder's variable when it holds an absolute path (a relative one is invalid and ignored),
// else $HOME followed by the folder's default. Without an absolute HOME (unset, empty or
// relative) the result is "": there is no user folder to go to, and each caller falls back in
// its own way (the install folder, no autostart entry, no data file).
std::string XdgFolderPath(XdgFolder folder, const EnvironmentLookup& env = ProcessEnvironment);

} // namespace platform
