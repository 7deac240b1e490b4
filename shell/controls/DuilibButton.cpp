#include "DuilibButton.h"

#include "LanguageConfig.h"

void CDuilibButton::SetToolTip(const std::string& section, const std::string& key)
{
    if (CControlUI* control = GetControl())
        control->SetToolTip(CDuiString(CLanguageConfig::GetInstance().GetText(section, key)));
}

void CDuilibButton::SetNormalImageAndTextColors(const std::string& normalImage, DWORD textColor, DWORD hotTextColor)
{
    if (auto* button = As<CButtonUI>()) {
        button->SetNormalImage(CDuiString(normalImage));
        button->SetTextColor(textColor);
        button->SetHotTextColor(hotTextColor);
    }
}

void CDuilibButton::SetNormalImage(const std::string& image)
{
    if (CControlUI* control = GetControl())
        control->SetNormalImage(CDuiString(image));
}

void CDuilibButton::SetForeImage(const std::string& image)
{
    if (CControlUI* control = GetControl())
        control->SetForeImage(CDuiString(image));
}
