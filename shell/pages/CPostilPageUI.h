#pragma once
// Annotation pen sub-page (3): line width (4 to 10) with a preview bar, and the pen colour
// (rainbow, red, green, blue).

#include "DuilibButton.h"
#include "DuilibSlider.h"
#include "IPageUI.h"

#include <array>

class CPostilPageUI : public IPageUI {
public:
    explicit CPostilPageUI(CPaintManagerUI* manager);

    void StyleAndShow(bool show) override;
    void Notify(TNotifyUI& msg) override;
    void Reset() override { Refresh(); }
    void Refresh() override;

private:
    void ShowLine();

    CDuilibLabel m_line;
    CDuilibLabel m_sizeText;
    CDuilibSlider m_size;
    CDuilibLabel m_colorTitle;
    std::array<CDuilibButton, 4> m_radios;
    std::array<CDuilibLabel, 4> m_texts;
};
