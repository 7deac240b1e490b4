#pragma once
// What the key handling and the function commands reach outside the service: the settings
// object, the OS services of platform/, the speed factor, the actions owned by other parts, the
// function tooltip and the heartbeat frame. Each part of the program plugs in its piece when it
// exists; a missing piece is skipped (or replaced by its logged stand-in), never a crash.
// Setters and getters may be called from any thread.

#include <atomic>

class CConfigManager;
class ICursorSpeedScale;
class IFunctionToolTip;
class IPresenterActions;
namespace platform {
class ICursor;
class IForegroundWindow;
class IPresentationScreen;
class ISettingsWindow;
} // namespace platform

class PresenterEnvironment {
public:
    using HeartSender = void (*)(int mouseMode, int heartBan);

    // Null: the process-wide settings object.
    void SetConfig(CConfigManager* config) { m_config = config; }
    CConfigManager& Config() const;
    void SetCursor(platform::ICursor* cursor) { m_cursor = cursor; }
    platform::ICursor* Cursor() const { return m_cursor.load(); }
    // Null: the function manager keeps the screen rectangle it was made with.
    void SetPresentationScreen(platform::IPresentationScreen* screen) { m_presentationScreen = screen; }
    platform::IPresentationScreen* PresentationScreen() const { return m_presentationScreen.load(); }
    void SetSettingsWindow(platform::ISettingsWindow* window) { m_settingsWindow = window; }
    platform::ISettingsWindow* SettingsWindow() const { return m_settingsWindow.load(); }
    void SetForegroundWindow(platform::IForegroundWindow* window) { m_foregroundWindow = window; }
    platform::IForegroundWindow* ForegroundWindow() const { return m_foregroundWindow.load(); }
    // Null: factor 1.
    void SetSpeedScale(ICursorSpeedScale* scale) { m_speedScale = scale; }
    float SpeedScale() const;
    // Null: the logged stand-ins.
    void SetActions(IPresenterActions* actions) { m_actions = actions; }
    IPresenterActions& Actions() const;
    // Null: the tooltip the program registered with SetFunctionToolTip, if any.
    void SetToolTip(IFunctionToolTip* toolTip) { m_toolTip = toolTip; }
    IFunctionToolTip* ToolTip() const;
    // The heartbeat frame of the device link (SendHeartCommand): the link sits above this
    // library, so it plugs the sender in when it starts. Until then the frame is logged and dropped.
    void SetHeartSender(HeartSender sender) { m_heartSender = sender; }
    void SendHeart(int mouseMode, int heartBan) const;

private:
    std::atomic<CConfigManager*> m_config{nullptr};
    std::atomic<platform::ICursor*> m_cursor{nullptr};
    std::atomic<platform::IPresentationScreen*> m_presentationScreen{nullptr};
    std::atomic<platform::ISettingsWindow*> m_settingsWindow{nullptr};
    std::atomic<platform::IForegroundWindow*> m_foregroundWindow{nullptr};
    std::atomic<ICursorSpeedScale*> m_speedScale{nullptr};
    std::atomic<IPresenterActions*> m_actions{nullptr};
    std::atomic<IFunctionToolTip*> m_toolTip{nullptr};
    std::atomic<HeartSender> m_heartSender{nullptr};
};
