#pragma once
// The desktop's default handlers through xdg-open, started directly (argument vector, no shell,
// so an address can never become a command) and reaped in the background.

#include "IDesktopLauncher.h"

namespace platform {

class XdgDesktopLauncher final : public IDesktopLauncher {
public:
    bool OpenUrl(const std::string& url) override;
    bool OpenHomeFolder() override;
};

} // namespace platform
