#pragma once
// The desktop's default handlers through xdg-open, started directly (argument vector, no shell,
// so an address can never become a command) and reaped in the background.

#include "IDesktopLauncher.h"

#include <string>
#include <vector>

namespace platform {

// Starts `program` (a path, or a name looked up in PATH) with `args`, directly and without a
// shell, and reaps it in the background. False when it could not be started.
bool StartDetachedProgram(const std::string& program, const std::vector<std::string>& args = {});

class XdgDesktopLauncher final : public IDesktopLauncher {
public:
    bool OpenUrl(const std::string& url) override;
    bool OpenHomeFolder() override;
};

} // namespace platform
