#include "RecoverSysSetUI.h"

#include "ConfigManager.h"
#include "DialogOpenFlag.h"
#include "KVOLog.h"

namespace {

constexpr const char* kTextSection = "reset";

} // namespace

CRecoverSysSetUI::CRecoverSysSetUI(HWND mainWnd, std::string messageKey)
    : WindowImplBase("RecoverSysSetUI.xml"), m_hMainWnd(mainWnd), m_messageKey(std::move(messageKey)),
      m_title(&m_PaintManager), m_tipText(&m_PaintManager), m_yesButton(&m_PaintManager), m_noButton(&m_PaintManager)
{
}

bool CRecoverSysSetUI::Confirm(HWND mainWnd, const std::string& messageKey)
{
    CRecoverSysSetUI window(mainWnd, messageKey);
    const DialogOpenFlag flag(window);
    if (window.Create(mainWnd, "", 0, 0) == nullptr) {
        WriteLog(KVO_LOG_ERROR, "CRecoverSysSetUI::Confirm RecoverSysSetUI.xml could not be built");
        return false;
    }
    window.CenterWindow();
    window.ShowModal();
    return window.IsConfirmed();
}

void CRecoverSysSetUI::InitWindow()
{
    m_title.Init("RecoverSysSet_Title", "", "", true);
    m_title.SetTextFromTable(kTextSection, "fun_set_reset_alert_title");
    m_tipText.Init("TipText", "", "", true);
    m_tipText.SetTextFromTable(kTextSection, m_messageKey);
    m_yesButton.Init("YesBnt", "", "", true);
    m_yesButton.SetTextFromTable(kTextSection, "fun_set_reset_alert_sure");
    m_noButton.Init("NoBnt", "", "", true);
    m_noButton.SetTextFromTable(kTextSection, "fun_set_reset_alert_cancel");
}

void CRecoverSysSetUI::Notify(TNotifyUI& msg)
{
    if (msg.sType != DUI_MSGTYPE_CLICK || msg.pSender == nullptr) {
        WindowImplBase::Notify(msg);
        return;
    }
    const CDuiString name = msg.pSender->GetName();
    if (name == "closebtn" || name == "NoBnt") {
        Close(IDCANCEL);
    } else if (name == "YesBnt") {
        WriteLog(KVO_LOG_INFO, "CRecoverSysSetUI::Notify YesBnt");
        CConfigManager::GetInstance().RestoreDefaults();
        m_bConfirmed = true;
        ::PostMessageW(m_hMainWnd, WM_RESTORE_DEFAULTS_DONE, 0, 0);
        Close(IDOK);
    } else {
        WindowImplBase::Notify(msg);
    }
}
