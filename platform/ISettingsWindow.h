#pragma once
// The settings (main) window as seen by the key handling: pressing keys on the remote hides it
// so the presentation is visible. Implemented by the main window; callable from any thread (the
// implementation posts the window work to the UI thread and does not wait for it).

namespace platform {

class ISettingsWindow {
public:
    virtual ~ISettingsWindow() = default;
    virtual void HideSettingsWindow() = 0;
    virtual void ShowSettingsWindow() = 0;
    // Shown on screen right now (the shortcut recorder and the display-on-top action ask).
    virtual bool IsSettingsWindowVisible() const = 0;
};

} // namespace platform
