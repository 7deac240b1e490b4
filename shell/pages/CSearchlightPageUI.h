#pragma once
// Spotlight sub-page (0) of the function setting page.

#include "CLensSettingsUI.h"
#include "IPageUI.h"

class CSearchlightPageUI : public IPageUI {
public:
    explicit CSearchlightPageUI(CPaintManagerUI* manager);

    void StyleAndShow(bool show) override;
    void Notify(TNotifyUI& msg) override;
    void Reset() override { Refresh(); }
    void Refresh() override;

private:
    void ShowMouseCenter();

    CPaintManagerUI* m_pManager;
    CLensSettingsUI m_lens;
    CDuilibLabel m_mouseCenter;
    bool m_bShown = false;
};
