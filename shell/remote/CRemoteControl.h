#pragma once
// The running program driven from outside (the session bus, the command line): every request
// goes the way the remote's keys go, through the presenter service and its function manager, the
// custom key functions and the settings object's checked setters, so nothing here repeats what
// those do.

#include "IRemoteControl.h"

#include <functional>

class CCustomKeyFunctions;
class CConfigManager;
class CPresenterService;
namespace platform {
class ISettingsWindow;
}

class CRemoteControl final : public platform::IRemoteControl {
public:
    struct Parts {
        CConfigManager* config = nullptr;
        CCustomKeyFunctions* customKeys = nullptr;  // null: no custom actions
        platform::ISettingsWindow* settingsWindow = nullptr;
        std::function<void()> quit;  // ends the program as the tray's close item does
        std::function<void()> settingsChanged;  // a setting was stored: the settings window reads it again
    };
    explicit CRemoteControl(Parts parts);

    platform::RemoteError SelectFunction(const std::string& name) override;
    platform::RemoteError Play() override;
    platform::RemoteError Stop() override;
    platform::RemoteError Move(int dx, int dy) override;
    platform::RemoteError ToggleBlankScreen() override;
    platform::RemoteError ToggleSlideShow() override;
    platform::RemoteError RunAction(const std::string& name) override;
    platform::RemoteError ShowSettings() override;
    platform::RemoteError HideSettings() override;
    platform::RemoteError Quit() override;
    platform::RemoteState State() const override;
    platform::RemoteError GetSetting(const std::string& section, const std::string& key, std::string& value) const override;
    platform::RemoteError SetSetting(const std::string& section, const std::string& key, const std::string& value) override;

    // The largest step of one move, in the remote's counts either way.
    static constexpr int kLargestStep = 10000;

private:
    // Null (with the reason in `error`) while the device link is down.
    CPresenterService* Service(platform::RemoteError& error) const;
    platform::RemoteError RunCustomAction(int action);

    Parts m_parts;
};
