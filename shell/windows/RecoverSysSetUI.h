#pragma once
// The confirmation window before the factory settings replace the user's ("RecoverSysSetUI.xml").
// Yes restores the defaults (CConfigManager::RestoreDefaults), posts WM_USER + 1009 to the main
// window and closes; No and the close button close and change nothing. The settings object's
// dialog-open flag is 1 while the window is open.

#include "DuilibButton.h"

#include <string>

inline constexpr UINT WM_RESTORE_DEFAULTS_DONE = WM_USER + 1009;

class CRecoverSysSetUI : public WindowImplBase {
public:
    // `messageKey` names the question in language section "reset".
    CRecoverSysSetUI(HWND mainWnd, std::string messageKey = "fun_set_reset_alert_message1");

    // Shows the window centred and modal, owned by the main window. True when confirmed.
    static bool Confirm(HWND mainWnd, const std::string& messageKey = "fun_set_reset_alert_message1");

    bool IsConfirmed() const { return m_bConfirmed; }

    void InitWindow() override;
    void Notify(TNotifyUI& msg) override;

private:
    HWND m_hMainWnd;
    std::string m_messageKey;
    CDuilibLabel m_title;
    CDuilibLabel m_tipText;
    CDuilibButton m_yesButton;
    CDuilibButton m_noButton;
    bool m_bConfirmed = false;
};
