#pragma once
// The tray icon of the settings window: a left click brings the window back, a right click opens
// a menu with "settings" and "close". The icon is created only once the desktop can take it;
// until then a timer asks again (see TrayHostProbe.h), so a program started before the panel
// gets its icon when the panel arrives. UI thread only.

#include <QSystemTrayIcon>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

class QMenu;
class QAction;

class CTrayIcon {
public:
    static constexpr int kMenuSetting = 1125;
    static constexpr int kMenuClose = 1126;

    struct Handlers {
        std::function<void()> leftClick;   // restore the window
        std::function<void()> menuOpening; // before the menu shows
        std::function<void()> settings;    // menu item 1125
        std::function<void()> close;       // menu item 1126
    };
    // What a probe reports; the default asks the desktop through CTrayHostProbe.
    enum class HostState { Ready, Waiting, None };
    using HostProbe = std::function<HostState()>;

    explicit CTrayIcon(Handlers handlers, HostProbe probe = {});
    ~CTrayIcon();
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    // Adds the icon with `tip` as its tooltip, or only updates the tip when it exists. Without
    // a tray host the icon follows as soon as one appears.
    void Show(const std::string& tip);
    // Removes the icon and stops waiting for a host.
    void Delete();

    bool IsCreated() const { return m_icon != nullptr; }
    bool IsWaiting() const { return m_waitTimer.isActive(); }
    QSystemTrayIcon* GetIcon() const { return m_icon.get(); }
    QMenu* GetMenu() const { return m_menu.get(); }
    // The menu item of kMenuSetting or kMenuClose.
    QAction* GetMenuAction(int id) const;
    std::string GetTip() const { return m_tip; }

    void HandleActivation(QSystemTrayIcon::ActivationReason reason);
    // Interval between two host probes while waiting.
    void SetPollInterval(int ms) { m_waitTimer.setInterval(ms); }

    // 1 while a tray click is being handled.
    static int IsBusy() { return s_busy.load(); }

private:
    void CreateIcon();
    void OnWaitTimer();
    void UpdateMenuTexts();
    void Run(const std::function<void()>& handler);

    Handlers m_handlers;
    HostProbe m_probe;
    std::unique_ptr<QMenu> m_menu;
    QAction* m_settingAction = nullptr;
    QAction* m_closeAction = nullptr;
    std::unique_ptr<QSystemTrayIcon> m_icon;
    QTimer m_waitTimer;
    std::string m_tip;
    bool m_bWanted = false;
    HostState m_lastState = HostState::Ready;
    int m_waitTicks = 0;

    static inline std::atomic<int> s_busy{0};
};
