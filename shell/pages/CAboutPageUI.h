#pragma once
// The about page (page 3): product name, version, contact line and copyright.

#include "DuilibButton.h"
#include "IPageUI.h"

class CAboutPageUI : public IPageUI {
public:
    static constexpr int kPageIndex = 3;

    explicit CAboutPageUI(CPaintManagerUI* manager);

    void StyleAndShow(bool show) override;
    // Nothing on this page changes a setting.
    void Notify(TNotifyUI&) override {}

private:
    CDuilibLabel m_appName;
    CDuilibLabel m_copyright;
    CDuilibLabel m_verTitle;
    CDuilibLabel m_verText;
    CDuilibLabel m_contactTitle;
    CDuilibButton m_contactButton;
    CDuilibButton m_updateButton;
    CDuilibLabel m_updateText;
    CDuilibLabel m_autorunText;
    CDuilibButton m_autorunButton;
};
