#include "CLensSettingsUI.h"

#include "ConfigManager.h"
#include "SettingRanges.h"
#include "SettingPageControls.h"

#include <algorithm>
#include <cmath>

namespace {

int Rounded(double value) { return static_cast<int>(std::lround(value)); }

} // namespace

CLensSettingsUI::CLensSettingsUI(CPaintManagerUI* manager, const Keys& keys)
    : m_keys(keys), m_roundText(manager), m_aspectText(manager), m_alphaText(manager), m_round(manager),
      m_aspect(manager), m_alpha(manager), m_showMouse(manager), m_showMouseText(manager), m_saveStatu(manager),
      m_saveStatuText(manager)
{
}

void CLensSettingsUI::InitSlider(CDuilibSlider& slider, const char* base, bool show)
{
    const std::string b(base);
    const auto part = [&](const char* suffix) {
        const std::string name = b + suffix;
        return CDuilibSlider::Part{Control(name.c_str()), Style(name.c_str())};
    };
    slider.Init(part("_ProgressBar1"), part("_ProgressBar2"), part("_Slider"), m_keys.styleSection, show);
}

void CLensSettingsUI::StyleAndShow(bool show)
{
    m_roundText.Init(Control("W_Text"), m_keys.styleSection, Style("W_Text"), show);
    m_aspectText.Init(Control("H_Text"), m_keys.styleSection, Style("H_Text"), show);
    m_alphaText.Init(Control("alpha_Text"), m_keys.styleSection, Style("alpha_Text"), show);
    InitSlider(m_round, "W", show);
    InitSlider(m_aspect, "H", show);
    InitSlider(m_alpha, "alpha", show);
    m_showMouse.Init(Control("ShowMouse_Bnt"), m_keys.styleSection, Style("ShowMouse_Bnt"), show);
    m_showMouseText.Init(Control("ShowMouse_Text"), m_keys.styleSection, Style("ShowMouse_Text"), show);
    m_saveStatu.Init(Control("SaveStatu_Bnt"), m_keys.styleSection, Style("SaveStatu_Bnt"), show);
    m_saveStatuText.Init(Control("SaveStatu_Text"), m_keys.styleSection, Style("SaveStatu_Text"), show);
    if (!show)
        return;
    m_roundText.SetTextFromTable("funset", "fun_set_border_round");
    m_aspectText.SetTextFromTable("funset", "fun_set_aspect_ratio");
    m_alphaText.SetTextFromTable("funset", "fun_set_alpha");
    m_showMouseText.SetTextFromTable("funset", "fun_set_circle");
    m_saveStatuText.SetTextFromTable("funset", "fun_set_status");
    m_round.SetRange(0, kLensRoundSliderMax);
    m_aspect.SetRange(kLensAspectSliderMin, kLensAspectSliderMax);
    m_alpha.SetRange(m_keys.alphaMin, 100);
    Refresh();
}

void CLensSettingsUI::Refresh()
{
    const CConfigManager& config = CConfigManager::GetInstance();
    m_round.SetValue(Rounded(config.GetReal(m_keys.borderRound) * 200.0));
    m_aspect.SetValue(Rounded(config.GetReal(m_keys.aspectRatio) * 100.0));
    m_alpha.SetValue(Rounded(config.GetInt(m_keys.alphaVal) / 255.0 * 100.0));
    ShowSwitch(m_showMouse, config.GetInt(m_keys.showMouse) != 0);
    ShowSwitch(m_saveStatu, config.GetInt(m_keys.saveStatu) != 0);
    UpdateToolTips();
}

void CLensSettingsUI::UpdateToolTips()
{
    const CConfigManager& config = CConfigManager::GetInstance();
    m_round.SetToolTip(FillText("tooltip", m_keys.roundToolTip, FormatValue("%.2f", double(config.GetReal(m_keys.borderRound)))));
    m_aspect.SetToolTip(
        FillText("tooltip", m_keys.aspectToolTip, FormatValue("1 : %.2f", double(config.GetReal(m_keys.aspectRatio)))));
    const int alphaVal = config.GetInt(m_keys.alphaVal);
    const int percent = m_keys.dimmingFromLeast ? std::max(1, static_cast<int>((alphaVal - 51) / 204.0 * 100.0))
                                                : Rounded(alphaVal / 255.0 * 100.0);
    m_alpha.SetToolTip(FillText("tooltip", m_keys.alphaToolTip, FormatValue("%d%%", percent)));
}

bool CLensSettingsUI::IsShowMouseOn() const
{
    return CConfigManager::GetInstance().GetInt(m_keys.showMouse) != 0;
}

bool CLensSettingsUI::Notify(TNotifyUI& msg)
{
    CConfigManager& config = CConfigManager::GetInstance();
    const std::string name = SenderName(msg);
    if (msg.sType == DUI_MSGTYPE_VALUECHANGED || msg.sType == DUI_MSGTYPE_MOVEVALUECHANGED) {
        if (name == Control("W_Slider")) {
            const int v = m_round.GetValue();
            m_round.SetValue(v);
            config.SetReal(m_keys.borderRound, LensRoundOf(v), true);
        } else if (name == Control("H_Slider")) {
            const int v = m_aspect.GetValue();
            m_aspect.SetValue(v);
            config.SetReal(m_keys.aspectRatio, LensAspectOf(v), true);
        } else if (name == Control("alpha_Slider")) {
            const int v = m_alpha.GetValue();
            m_alpha.SetValue(v);
            config.SetInt(m_keys.alphaVal, LensAlphaOf(v), true);
        } else {
            return false;
        }
        UpdateToolTips();
        return true;
    }
    if (msg.sType != DUI_MSGTYPE_CLICK)
        return false;
    for (auto [button, key] : {std::pair{&m_showMouse, m_keys.showMouse}, std::pair{&m_saveStatu, m_keys.saveStatu}}) {
        if (name == button->GetName()) {
            const bool on = config.GetInt(key) == 0;
            config.SetInt(key, on ? 1 : 0, true);
            ShowSwitch(*button, on);
            return true;
        }
    }
    return false;
}
