#pragma once
// Opening things the way the desktop opens them for the user: an address in the default browser,
// the home folder in the default file manager. Never through a shell. Callable from any thread.

#include <string>

namespace platform {

class IDesktopLauncher {
public:
    virtual ~IDesktopLauncher() = default;
    // False when the opener could not be started.
    virtual bool OpenUrl(const std::string& url) = 0;
    virtual bool OpenHomeFolder() = 0;
};

} // namespace platform
