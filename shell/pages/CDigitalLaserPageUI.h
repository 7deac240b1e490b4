#pragma once
// Digital laser sub-page (1): dot colour (red, green, blue) and the keep-showing switch.

#include "DuilibButton.h"
#include "IPageUI.h"

#include <array>

class CDigitalLaserPageUI : public IPageUI {
public:
    explicit CDigitalLaserPageUI(CPaintManagerUI* manager);

    void StyleAndShow(bool show) override;
    void Notify(TNotifyUI& msg) override;
    void Reset() override { Refresh(); }
    void Refresh() override;

private:
    CDuilibLabel m_dot;
    CDuilibLabel m_title;
    std::array<CDuilibButton, 3> m_radios;
    std::array<CDuilibLabel, 3> m_texts;
    CDuilibButton m_saveStatu;
    CDuilibLabel m_saveStatuText;
};
