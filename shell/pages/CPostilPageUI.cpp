#include "CPostilPageUI.h"

#include "ConfigManager.h"
#include "SettingRanges.h"
#include "SettingPageControls.h"

#include <algorithm>

namespace {

constexpr const char* kStyleSection = "funset_postil_style";
// Radio order on the page and the LineColor each stands for.
constexpr std::array<const char*, 4> kColours = {"Colours", "Red", "Green", "Blue"};
constexpr std::array<int, 4> kLineColors = {4, 1, 2, 3};
constexpr std::array<const char*, 4> kColourTexts = {"fun_set_color_colors", "fun_set_color_red", "fun_set_color_green",
                                                     "fun_set_color_blue"};
std::string Name(const std::string& part) { return "FunSet_Postil_" + part; }
std::string Style(const std::string& name) { return std::string(kStyleSection) + "_" + name; }

} // namespace

CPostilPageUI::CPostilPageUI(CPaintManagerUI* manager)
    : m_line(manager), m_sizeText(manager), m_size(manager), m_colorTitle(manager),
      m_radios{CDuilibButton(manager), CDuilibButton(manager), CDuilibButton(manager), CDuilibButton(manager)},
      m_texts{CDuilibLabel(manager), CDuilibLabel(manager), CDuilibLabel(manager), CDuilibLabel(manager)}
{
}

void CPostilPageUI::StyleAndShow(bool show)
{
    m_line.Init(Name("Line"), kStyleSection, Style(Name("Line")), show);
    m_sizeText.Init(Name("Size_Text"), kStyleSection, Style(Name("Size_Text")), show);
    m_size.Init({Name("ProgressBar1"), Style(Name("ProgressBar1"))}, {Name("ProgressBar2"), Style(Name("ProgressBar2"))},
                {Name("Slider"), Style(Name("Slider"))}, kStyleSection, show);
    m_colorTitle.Init(Name("Color_Title"), kStyleSection, Style(Name("Color_Title")), show);
    for (std::size_t i = 0; i < kColours.size(); ++i) {
        m_radios[i].Init(Name(std::string(kColours[i]) + "_Ratio"), kStyleSection,
                         Style(Name(std::string(kColours[i]) + "_Ratio")), show);
        m_texts[i].Init(Name(std::string(kColours[i]) + "_Text"), kStyleSection,
                        Style(Name(std::string(kColours[i]) + "_Text")), show);
    }
    if (!show)
        return;
    m_sizeText.SetTextFromTable("funset", "fun_set_postil_size");
    m_colorTitle.SetTextFromTable("funset", "fun_set_postil_color");
    for (std::size_t i = 0; i < kColours.size(); ++i)
        m_texts[i].SetTextFromTable("funset", kColourTexts[i]);
    m_size.SetRange(kMinLineSize, kMaxLineSize);
    Refresh();
}

void CPostilPageUI::Refresh()
{
    const CConfigManager& config = CConfigManager::GetInstance();
    m_size.SetValue(config.GetInt(ConfigInt::LineSize));
    const int colour = config.GetInt(ConfigInt::LineColor);
    for (std::size_t i = 0; i < m_radios.size(); ++i)
        ShowRadio(m_radios[i], colour == kLineColors[i]);
    static constexpr std::array<const char*, 4> kLines = {"PostilLine_Red", "PostilLine_Green", "PostilLine_Blue",
                                                          "PostilLine"};
    if (CControlUI* line = m_line.GetControl(); line != nullptr && colour >= 1 && colour <= 4)
        line->SetBkImage(CDuiString(std::string("file='button\\FunctionSet\\") + kLines[static_cast<std::size_t>(colour - 1)] +
                                    ".png' corner='3,3,3,3'"));
    ShowLine();
}

void CPostilPageUI::ShowLine()
{
    // A hand-edited width out of the slider's range shows as the nearest end of it.
    const int size = std::clamp(CConfigManager::GetInstance().GetInt(ConfigInt::LineSize), kMinLineSize, kMaxLineSize);
    if (CControlUI* line = m_line.GetControl())
        line->SetPos(RECT{320, 250, 769, 250 + size});
    m_size.SetToolTip(FillText("tooltip", "postil_line_size_tooltip", FormatValue("%d", size)));
}

void CPostilPageUI::Notify(TNotifyUI& msg)
{
    CConfigManager& config = CConfigManager::GetInstance();
    const std::string name = SenderName(msg);
    if ((msg.sType == DUI_MSGTYPE_VALUECHANGED || msg.sType == DUI_MSGTYPE_MOVEVALUECHANGED) &&
        name == Name("Slider")) {
        const int size = std::clamp(m_size.GetValue(), kMinLineSize, kMaxLineSize);
        m_size.SetValue(size);
        config.SetInt(ConfigInt::LineSize, size, true);
        ShowLine();
        return;
    }
    if (msg.sType != DUI_MSGTYPE_CLICK || name.empty())
        return;
    for (std::size_t i = 0; i < m_radios.size(); ++i) {
        if (name == m_radios[i].GetName()) {
            config.SetInt(ConfigInt::LineColor, kLineColors[i], true);
            Refresh();
        }
    }
}
