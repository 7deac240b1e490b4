#include "CSettingPageUI.h"

#include "ConfigManager.h"
#include "SettingRanges.h"
#include "ControllerSet.h"
#include "KVOCursorSpeedKeeper.h"
#include "KVOLog.h"
#include "KVOOperationsManager.h"
#include "RecoverSysSetUI.h"
#include "SettingPageControls.h"

#include <algorithm>

namespace {

constexpr const char* kStyleSection = "funset_set_style";
constexpr int kPresenter = 0;
constexpr std::array<const char*, 3> kShockNames = {"FunSet_Set_Weak_Ratio", "FunSet_Set_Medium_Ratio",
                                                    "FunSet_Set_Strong_Ratio"};
constexpr std::array<const char*, 3> kShockTexts = {"fun_set_shock_weak", "fun_set_shock_medium", "fun_set_shock_strong"};
std::string Style(const std::string& name) { return std::string(kStyleSection) + "_" + name; }

CSettingPageUI::Hooks WithDefaults(CSettingPageUI::Hooks hooks, CPaintManagerUI* manager)
{
    if (!hooks.sendSensitivity)
        hooks.sendSensitivity = [](int dpi, int rate) { SendSensitivityCmdFunc(dpi, rate); };
    if (!hooks.sendMotor)
        hooks.sendMotor = [](int ms, int level) { SendMotorCmdFunc(ms, level); };
    if (!hooks.deviceType)
        hooks.deviceType = [] {
            const DeviceMgr* mgr = ExistingDeviceMgr();
            return mgr != nullptr ? mgr->GetDevType() : -1;
        };
    if (!hooks.modelBit)
        hooks.modelBit = [] {
            const DeviceMgr* mgr = ExistingDeviceMgr();
            return mgr != nullptr ? mgr->GetModelBit() : 0;
        };
    if (!hooks.cursorSpeed)
        hooks.cursorSpeed = [] { return KVOCursorSpeedKeeper::GetInstance().GetBaseValue(); };
    if (!hooks.confirmRestore)
        hooks.confirmRestore = [manager](const std::string& key) {
            return CRecoverSysSetUI::Confirm(manager != nullptr ? manager->GetPaintWindow() : nullptr, key);
        };
    return hooks;
}

} // namespace

SensitivityCommand SensitivityFor(int m, int modelBit, bool mouseDevice)
{
    m = std::clamp(m, 0, 80);
    if (modelBit == 1)
        return mouseDevice ? SensitivityCommand{47 * m / 80 + 16, 100} : SensitivityCommand{45 * m / 80 + 15, 100};
    return mouseDevice ? SensitivityCommand{2 * m + 80, 20} : SensitivityCommand{110 - m, 100};
}

CSettingPageUI::CSettingPageUI(CPaintManagerUI* manager, Hooks hooks)
    : m_pManager(manager), m_hooks(WithDefaults(std::move(hooks), manager)), m_speedTitle(manager), m_slowText(manager),
      m_fastText(manager), m_speed(manager), m_shockTitle(manager),
      m_shock{CDuilibButton(manager), CDuilibButton(manager), CDuilibButton(manager)},
      m_shockTexts{CDuilibLabel(manager), CDuilibLabel(manager), CDuilibLabel(manager)}, m_adaptiveLabel(manager),
      m_adaptiveHint(manager), m_adaptive(manager), m_restoreTitle(manager), m_restoreHint(manager), m_restore(manager)
{
}

void CSettingPageUI::StyleAndShow(bool show)
{
    const auto init = [&](CDuilibControl& control, const std::string& name) {
        control.Init(name, kStyleSection, Style(name), show);
    };
    init(m_speedTitle, "FunSet_Set_Mouse_Speed_Title");
    init(m_slowText, "FunSet_Set_Slow_Text");
    init(m_fastText, "FunSet_Set_Fast_Text");
    m_speed.Init({"FunSet_Set_ProgressBar1", Style("FunSet_Set_ProgressBar1")},
                 {"FunSet_Set_ProgressBar2", Style("FunSet_Set_ProgressBar2")},
                 {"FunSet_Set_Slider", Style("FunSet_Set_Slider")}, kStyleSection, show);
    init(m_shockTitle, "FunSet_Set_ShockIntensity");
    for (std::size_t i = 0; i < m_shock.size(); ++i) {
        init(m_shock[i], kShockNames[i]);
        init(m_shockTexts[i], std::string(kShockNames[i]) + "_Text");
    }
    init(m_adaptiveLabel, "FunSet_Set_Adaptive_Label");
    init(m_adaptiveHint, "FunSet_Set_Adaptive_Hint");
    init(m_adaptive, "FunSet_Set_Adaptive_Button");
    init(m_restoreTitle, "FunSet_RecoverSysSet_Title");
    init(m_restoreHint, "FunSet_RecoverSysSet_Hint");
    init(m_restore, "FunSet_RecoverSysSet_Bnt");
    if (!show)
        return;
    m_speedTitle.SetTextFromTable("funset", "fun_set_mouse_speed_title");
    m_slowText.SetTextFromTable("funset", "fun_set_mouse_speed_slow");
    m_fastText.SetTextFromTable("funset", "fun_set_mouse_speed_fast");
    m_shockTitle.SetTextFromTable("funset", "fun_set_shock_title");
    for (std::size_t i = 0; i < m_shock.size(); ++i)
        m_shockTexts[i].SetTextFromTable("funset", kShockTexts[i]);
    m_adaptiveLabel.SetTextFromTable("funset", "fun_set_cursor_adaptive");
    m_adaptiveHint.SetTextFromTable("funset", "fun_set_cursor_adaptive_hint");
    m_restoreTitle.SetTextFromTable("funset", "fun_set_reset_title");
    m_restoreHint.SetTextFromTable("funset", "fun_set_reset_hint");
    m_restore.SetTextFromTable("funset", "fun_set_reset_button_title");
    m_speed.SetRange(kMinCursorSpeed, kMaxCursorSpeed);
    Refresh();
}

void CSettingPageUI::Refresh()
{
    const CConfigManager& config = CConfigManager::GetInstance();
    m_speed.SetValue(config.GetInt(ConfigInt::MouseDPI));
    const int shock = config.GetInt(ConfigInt::ShockIntensity);
    for (std::size_t i = 0; i < m_shock.size(); ++i)
        ShowRadio(m_shock[i], shock == static_cast<int>(i) + 1);
    ShowSwitch(m_adaptive, config.GetInt(ConfigInt::CursorSpeedAdaptiveModel) != 0);
}

void CSettingPageUI::SendSensitivity()
{
    const int devType = m_hooks.deviceType();
    const bool mouse = devType == 1 || devType == 2;
    if (!mouse && devType != kPresenter)
        return;
    const SensitivityCommand cmd =
        SensitivityFor(CConfigManager::GetInstance().GetInt(ConfigInt::MouseDPI), m_hooks.modelBit(), mouse);
    if (mouse)
        WriteLog(KVO_LOG_INFO,
                 "CSettingPageUI::OnValueChange SendSensitivityCmdFunc KVO_WIRLESS_MOUSE|KVO_WIRED_MOUSE DPI:%d Rate:%d",
                 cmd.dpi, cmd.rate);
    else
        WriteLog(KVO_LOG_INFO, "CSettingPageUI::OnValueChange SendSensitivityCmdFunc KVO_PRESENTER DPI:%d Rate:%d",
                 cmd.dpi, cmd.rate);
    m_hooks.sendSensitivity(cmd.dpi, cmd.rate);
}

void CSettingPageUI::Notify(TNotifyUI& msg)
{
    CConfigManager& config = CConfigManager::GetInstance();
    const std::string name = SenderName(msg);
    if ((msg.sType == DUI_MSGTYPE_VALUECHANGED || msg.sType == DUI_MSGTYPE_MOVEVALUECHANGED) &&
        name == "FunSet_Set_Slider") {
        const int value = std::clamp(m_speed.GetValue(), kMinCursorSpeed, kMaxCursorSpeed);
        m_speed.SetValue(value);
        config.SetInt(ConfigInt::MouseDPI, value, true);
        SendSensitivity();
        return;
    }
    if (msg.sType != DUI_MSGTYPE_CLICK || name.empty())
        return;
    for (std::size_t i = 0; i < m_shock.size(); ++i) {
        if (name != kShockNames[i])
            continue;
        const int level = static_cast<int>(i) + 1;
        config.SetInt(ConfigInt::ShockIntensity, level, true);
        Refresh();
        // A test pulse lets the user feel the new strength.
        if (m_hooks.deviceType() == kPresenter) {
            const int ms = m_hooks.modelBit() == 1 ? 1000 : 500;
            m_hooks.sendMotor(ms, level);
        }
        return;
    }
    if (name == "FunSet_Set_Adaptive_Button")
        OnAdaptive();
    else if (name == "FunSet_RecoverSysSet_Bnt")
        OnRestore();
}

void CSettingPageUI::OnAdaptive()
{
    CConfigManager& config = CConfigManager::GetInstance();
    if (config.GetInt(ConfigInt::CursorSpeedAdaptiveModel) != 0) {
        config.SetInt(ConfigInt::CursorSpeedAdaptiveModel, 0, true);
        config.SetInt(ConfigInt::MouseDPI, m_hooks.cursorSpeed(), true);
        Refresh();
        return;
    }
    // Turning adaptive speed on starts from the factory settings. The settings object takes
    // them too: otherwise the pages and the effects would go on with the old values while the
    // file holds the factory ones, and the next change would write a mix of both.
    if (!m_hooks.confirmRestore("fun_set_setting_cursor_adaptive_alert_message"))
        return;
    config.LoadAll();
    config.SetInt(ConfigInt::CursorSpeedAdaptiveModel, 1, true);
    SendSensitivity();
    Refresh();
}

void CSettingPageUI::OnRestore()
{
    if (!m_hooks.confirmRestore("fun_set_reset_alert_message1"))
        return;
    CConfigManager& config = CConfigManager::GetInstance();
    config.FirstRunDefaults();
    config.LoadAll();
    SendSensitivity();
    config.SetSlotInt(ConfigSlotInt::Key, kSlotPresenter, 1, true);
    config.SetSlotInt(ConfigSlotInt::Key, kSlotMouse, 11, true);
    Refresh();
    StyleAndShow(true);
}
