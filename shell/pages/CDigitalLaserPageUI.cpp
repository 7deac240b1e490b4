#include "CDigitalLaserPageUI.h"

#include "ConfigManager.h"
#include "SettingPageControls.h"

namespace {

constexpr const char* kStyleSection = "funset_laserPen_style";
constexpr std::array<const char*, 3> kColours = {"Red", "Green", "Blue"};
constexpr std::array<const char*, 3> kColourTexts = {"fun_set_color_red", "fun_set_color_green", "fun_set_color_blue"};
std::string Name(const char* part) { return std::string("FunSet_laserPen_") + part; }
std::string Style(const std::string& name) { return std::string(kStyleSection) + "_" + name; }

} // namespace

CDigitalLaserPageUI::CDigitalLaserPageUI(CPaintManagerUI* manager)
    : m_dot(manager), m_title(manager), m_radios{CDuilibButton(manager), CDuilibButton(manager), CDuilibButton(manager)},
      m_texts{CDuilibLabel(manager), CDuilibLabel(manager), CDuilibLabel(manager)}, m_saveStatu(manager),
      m_saveStatuText(manager)
{
}

void CDigitalLaserPageUI::StyleAndShow(bool show)
{
    m_dot.Init(Name("Dot"), kStyleSection, Style(Name("Dot")), show);
    m_title.Init(Name("Color_Title"), kStyleSection, Style(Name("Color_Title")), show);
    for (std::size_t i = 0; i < kColours.size(); ++i) {
        const std::string radio = Name(kColours[i]) + "_Ratio";
        const std::string text = Name(kColours[i]) + "_Text";
        m_radios[i].Init(radio, kStyleSection, Style(radio), show);
        m_texts[i].Init(text, kStyleSection, Style(text), show);
    }
    m_saveStatu.Init(Name("SaveStatu_Bnt"), kStyleSection, Style(Name("SaveStatu_Bnt")), show);
    m_saveStatuText.Init(Name("SaveStatu_Text"), kStyleSection, Style(Name("SaveStatu_Text")), show);
    if (!show)
        return;
    m_title.SetTextFromTable("funset", "fun_set_laser_color");
    for (std::size_t i = 0; i < kColours.size(); ++i)
        m_texts[i].SetTextFromTable("funset", kColourTexts[i]);
    m_saveStatuText.SetTextFromTable("funset", "fun_set_status");
    Refresh();
}

void CDigitalLaserPageUI::Refresh()
{
    const CConfigManager& config = CConfigManager::GetInstance();
    const int colour = config.GetInt(ConfigInt::DigitalLaserColor);
    for (std::size_t i = 0; i < m_radios.size(); ++i)
        ShowRadio(m_radios[i], colour == static_cast<int>(i) + 1);
    // The preview dot takes the chosen colour (1 red, 2 green, 3 blue).
    static constexpr std::array<const char*, 3> kDots = {"red", "green", "blue"};
    if (CControlUI* dot = m_dot.GetControl(); dot != nullptr && colour >= 1 && colour <= 3)
        dot->SetBkImage(CDuiString(std::string("file='button\\FunctionSet\\DigitalLaser\\") +
                                   kDots[static_cast<std::size_t>(colour - 1)] + "@10x.png'"));
    ShowSwitch(m_saveStatu, config.GetInt(ConfigInt::DigitalLaserSaveStatu) != 0);
}

void CDigitalLaserPageUI::Notify(TNotifyUI& msg)
{
    if (msg.sType != DUI_MSGTYPE_CLICK)
        return;
    CConfigManager& config = CConfigManager::GetInstance();
    const std::string name = SenderName(msg);
    for (std::size_t i = 0; i < m_radios.size(); ++i) {
        if (name == m_radios[i].GetName() && !name.empty()) {
            config.SetInt(ConfigInt::DigitalLaserColor, static_cast<int>(i) + 1, true);
            Refresh();
            return;
        }
    }
    if (!name.empty() && name == m_saveStatu.GetName()) {
        config.SetInt(ConfigInt::DigitalLaserSaveStatu, config.GetInt(ConfigInt::DigitalLaserSaveStatu) == 0 ? 1 : 0, true);
        Refresh();
    }
}
