#include "CAboutPageUI.h"

#include "ConfigManager.h"
#include "SetupVersion.h"

namespace {
constexpr const char* kStyleSection = "about_style";
}

CAboutPageUI::CAboutPageUI(CPaintManagerUI* manager)
    : m_appName(manager), m_copyright(manager), m_verTitle(manager), m_verText(manager), m_contactTitle(manager),
      m_contactButton(manager), m_updateButton(manager), m_updateText(manager), m_autorunText(manager),
      m_autorunButton(manager)
{
}

void CAboutPageUI::StyleAndShow(bool show)
{
    if (show)
        CConfigManager::GetInstance().SetRuntime(CConfigManager::Runtime::CurrentPage, kPageIndex);
    m_appName.Init("AboutUs_AppName", "", "", show);
    m_copyright.Init("AboutUs_Copyright", "", "", show);
    m_verTitle.Init("AboutUs_Ver_Info_Text1", kStyleSection, "about_style_Ver_Info_Text1", show);
    m_verText.Init("AboutUs_Ver_Info_Text2", kStyleSection, "about_style_Ver_Info_Text2", show);
    m_contactTitle.Init("AboutUs_contactWay_Text", kStyleSection, "about_style_contactWay_Text", show);
    m_contactButton.Init("AboutUs_contactWay_Bnt", kStyleSection, "about_style_contactWay_Bnt", show);
    // No update check and no autorun switch in this product: those controls stay hidden.
    m_updateButton.Init("AboutUs_Ver_Update_Bnt1", "", "", false);
    m_updateText.Init("AboutUs_Ver_Update_Text", "", "", false);
    m_autorunText.Init("AboutUs_Autorun_Text", "", "", false);
    m_autorunButton.Init("AboutUs_Autorun_Bnt", "", "", false);
    if (!show)
        return;
    // Without a version file the line stays empty rather than showing the skin's sample number.
    const std::string version = ReadSetupVersion(CConfigManager::GetInstance().GetInstallFolder());
    if (CControlUI* label = m_verText.GetControl())
        label->SetText(CDuiString(version.empty() ? std::string() : "V" + version));
    m_verTitle.SetTextFromTable("about", "about_version_title");
    m_contactTitle.SetTextFromTable("about", "about_contact_us_title");
    m_appName.SetTextFromTable("funsel", "app_name");
    m_copyright.SetTextFromTable("about", "about_copyright");
}
