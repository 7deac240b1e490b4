#pragma once
// The content of the settings window: caption, device status line, tab bar with its pages, the
// tray icon and the window's own messages. The main window (CMainControl) owns one, forwards its
// notifications and messages here, and runs the two timers:
//   SetTimer(kStatusTimerId, kStatusTimerMs)            -> OnStatusTimer
//   SetTimer(kHousekeepingTimerId, kHousekeepingTimerMs) -> OnHousekeepingTimer
// (HandleMessage does that routing for WM_TIMER as well). UI thread only.

#include "CTrayIcon.h"
#include "CaptionDrag.h"
#include "DuilibButton.h"
#include "HiddenStartHousekeeping.h"
#include "IFloatingLayer.h"
#include "IPageUI.h"
#include "MainPageStatus.h"
#include "TabUnderline.h"

#include <QObject>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

inline constexpr UINT WM_SELECT_SET_PAGE = WM_USER + 1010;
inline constexpr UINT WM_DEVICE_PRESENT = WM_USER + 1011; // 2035, posted by the device link
inline constexpr UINT WM_FLOATING_LAYER_EMPTY = WM_USER + 1012;
inline constexpr UINT WM_ON_TRAY_DLETE = WM_USER + 1013;
inline constexpr UINT WM_FLOATING_LAYER_PLACE = WM_USER + 1014;
inline constexpr UINT WM_SOFT_KILL = WM_USER + 1015;
// Settings were changed from outside the window (the command line): the current page reads them again.
inline constexpr UINT WM_SETTINGS_CHANGED = WM_USER + 1016;

class CMainPageUI {
public:
    static constexpr UINT kStatusTimerId = 1;
    static constexpr UINT kStatusTimerMs = 1000;
    static constexpr UINT kHousekeepingTimerId = 6;
    static constexpr UINT kHousekeepingTimerMs = 5000;
    static constexpr int kSelectPage = 0;
    static constexpr int kSetPage = 1;
    static constexpr int kAboutPage = 3;
    // Waited between ending an effect and bringing the window back.
    static constexpr int kRestoreDelayMs = 200;

    // What the main page needs from the rest of the program. Every member may be left empty.
    struct Hooks {
        // Ends the presenter service's current mode (a running effect) before the window or the
        // tray menu comes up.
        std::function<void()> endCurrentMode;
        // The program's shutdown routine; does not return.
        std::function<void()> shutdown;
        // The floating layer of the function setting page; null until that page exists.
        IFloatingLayer* floatingLayer = nullptr;
        // The device state; by default read from the device manager (offline while none exists).
        std::function<DeviceStatusSnapshot()> deviceStatus;
        // The connected device's type; by default the device manager's (0 while none exists).
        std::function<int()> deviceType;
        // Where the tray icon asks whether a tray exists; the desktop by default.
        CTrayIcon::HostProbe trayProbe;
    };

    explicit CMainPageUI(CPaintManagerUI* manager);
    ~CMainPageUI();
    CMainPageUI(const CMainPageUI&) = delete;
    CMainPageUI& operator=(const CMainPageUI&) = delete;

    // Wiring, once the main window exists: its handle, whether the program was started with
    // "hideWindows", and the hooks.
    void Init(HWND mainWnd, bool startedHidden, Hooks hooks);
    // Installs the page object of an index (0 to 4); pages without one show their skin only.
    // The about page (3) is built in.
    void SetPage(int index, std::unique_ptr<IPageUI> page);
    IPageUI* GetPage(int index) const;
    // The function setting page's floating layer, once it exists; null takes it away.
    void SetFloatingLayer(IFloatingLayer* layer) { m_hooks.floatingLayer = layer; }

    // The status texts from language section "other".
    void LoadStatusTexts();
    // Styles the window from the language table, selects page 1, refreshes the caption (adding
    // the tray icon) and sets the tab texts.
    void StyleAndShow(bool show);
    // Page 0..4; any other index changes nothing.
    void SelectPage(int page);
    int GetCurrentPage() const;

    void Notify(TNotifyUI& msg);
    // The window's timers, WM_USER+1009..1016, WM_CLOSE (which hides the window: the program
    // lives on in the tray) and the mouse messages of dragging the window by its top 50 rows.
    // True when the message was handled here.
    bool HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& result);

    void OnStatusTimer();
    void OnHousekeepingTimer();
    // Caption, application name and tray tip for the connected device kind.
    void RefreshCaption();
    // Adds the tray icon (or updates its tip) for the connected device kind.
    void ShowTrayIcon();

    // The window's initialisation runs between these two, and the device link's settle pause
    // inside it delivers events: the tray's close item and the close message are remembered
    // meanwhile and the shutdown is posted once start-up ends; a tray click or the settings item
    // brings the window up only then, fully built.
    void BeginStartup();
    void EndStartup();
    bool IsStarting() const { return m_bStarting; }
    // Selects page 1 and hides the window.
    void HideMainWindow();
    // Shows, raises and activates the window, and places the floating layer over it.
    void RestoreMainWindow();

    // Tray actions, as the tray icon calls them.
    void OnTrayLeftClick();
    void OnTrayMenuOpening();
    void OnTraySettings();
    void OnTrayClose();

    CTrayIcon* GetTray() const { return m_tray.get(); }
    const std::string& GetAppName() const { return m_appName; }
    std::string GetStatusText(DeviceStatusText text) const;

private:
    void StyleTabButtons();
    void PostToMain(UINT msg);
    void RequestShutdown();
    // The application name and tray tip of the caption `keys` the device kind picked.
    void ShowTrayIcon(const CaptionKeys& keys);
    // Runs `restore` now, or at the end of start-up.
    void RestoreWhenStarted(std::function<void()> restore);
    void ClearFloatingLayer();
    bool HandleDrag(UINT uMsg, WPARAM wParam, LPARAM lParam);

    CPaintManagerUI* m_pManager;
    HWND m_hMainWnd = nullptr;
    bool m_bStartedHidden = false;
    Hooks m_hooks;

    CDuilibLabel m_background;
    CDuilibLabel m_captionIcon;
    CDuilibLabel m_captionName;
    CDuilibButton m_minButton;
    CDuilibButton m_closeButton;
    std::array<CDuilibButton, kMainPageCount> m_tabButtons;
    // The skin's hover look of each tab, given back when the tab is no longer the selected one.
    std::array<std::optional<CDuiString>, kMainPageCount> m_tabHotImages;
    CDuilibLabel m_lineNotSelect;
    CDuilibLabel m_lineSelect;
    CDuilibLabel m_demonstration;
    CDuilibLabel m_mouseCenter;
    CDuilibLabel m_statusLine;

    std::array<std::unique_ptr<IPageUI>, kMainPageCount> m_pages;
    std::array<std::string, 3> m_statusTexts; // by DeviceStatusText
    std::string m_shownStatus;
    std::string m_appName;
    CHiddenStartHousekeeping m_housekeeping;
    std::unique_ptr<CTrayIcon> m_tray;
    CCaptionDrag m_drag;
    bool m_bStarting = false;
    bool m_bShutdownPending = false;
    std::function<void()> m_pendingRestore;
    // Delayed tray actions run in this object's context, so they die with the page.
    QObject m_timerContext;
};
