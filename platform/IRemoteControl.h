#pragma once
// The running program as it is driven from outside: a desktop shortcut, a script, a second start
// of the program. Implemented by the shell over the same service paths the remote's keys take;
// offered on the session bus by platform/dbus. Called on the UI thread.

#include <string>

namespace platform {

// Empty when the request was carried out; otherwise why it was refused (a bad name or value).
using RemoteError = std::string;

// What a status request reports, in words: device type "presenter", "wireless-mouse",
// "wired-mouse" or "none"; link "receiver", "ble" or "none"; function "mouse", "spotlight",
// "laser", "magnifier", "pen" or "screenshot"; status as the main page words it: "online",
// "offline" or "charging".
struct RemoteState {
    bool connected = false;
    std::string deviceType;
    std::string link;
    std::string function;
    bool shown = false;
    std::string status;
};

class IRemoteControl {
public:
    virtual ~IRemoteControl() = default;
    // The function the do key starts; a shown effect is stopped first.
    virtual RemoteError SelectFunction(const std::string& name) = 0;
    // Press and release of the do key: the effect shows at the presentation screen's centre.
    virtual RemoteError Play() = 0;
    virtual RemoteError Stop() = 0;
    // The remote's motion, in its counts, applied to the shown effect.
    virtual RemoteError Move(int dx, int dy) = 0;
    virtual RemoteError ToggleBlankScreen() = 0;
    virtual RemoteError ToggleSlideShow() = 0;
    // A custom action by name, as the connected device's custom key runs it.
    virtual RemoteError RunAction(const std::string& name) = 0;
    virtual RemoteError ShowSettings() = 0;
    virtual RemoteError HideSettings() = 0;
    virtual RemoteError Quit() = 0;
    virtual RemoteState State() const = 0;
    // A setting by its config.ini section and key; a refused value leaves it and the file as they were.
    virtual RemoteError GetSetting(const std::string& section, const std::string& key, std::string& value) const = 0;
    virtual RemoteError SetSetting(const std::string& section, const std::string& key, const std::string& value) = 0;
};

} // namespace platform
