#include "SettingPageControls.h"

#include "CMainPageUI.h"
#include "LanguageConfig.h"

#include <cstdio>

void ShowSwitch(CDuilibButton& button, bool on)
{
    if (auto* control = qobject_cast<CButtonUI*>(button.GetControl()))
        control->SetNormalImage(on ? kSwitchOnImage : kSwitchOffImage);
}

void ShowRadio(CDuilibButton& button, bool chosen)
{
    if (auto* control = qobject_cast<CButtonUI*>(button.GetControl())) {
        control->SetNormalImage(chosen ? "file='button\\Select.png'" : "file='button\\SelectNot.png'");
        control->SetHotImage(chosen ? "file='button\\Select.png'" : "file='button\\SelectNot_h.png'");
    }
}

std::string FillText(const std::string& section, const std::string& key, const std::string& value)
{
    std::string text = CLanguageConfig::GetInstance().GetText(section, key);
    const std::size_t at = text.find("%s");
    if (at == std::string::npos)
        return text.empty() ? value : text + " " + value;
    return text.replace(at, 2, value);
}

std::string FormatValue(const char* format, double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

std::string FormatValue(const char* format, int value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

void PostFloatingLayerPlace(CPaintManagerUI* manager)
{
    if (manager != nullptr && manager->GetPaintWindow() != nullptr)
        ::PostMessageW(manager->GetPaintWindow(), WM_FLOATING_LAYER_PLACE, 0, 0);
}

std::string SenderName(const TNotifyUI& msg)
{
    return msg.pSender != nullptr ? msg.pSender->GetName().str() : std::string();
}
