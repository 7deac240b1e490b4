#pragma once
// Page 1 of the settings window: six sub-pages (spotlight, digital laser, magnifier, annotation
// pen, general settings, custom key) behind a row of buttons. The sub-page index survives page
// switches; a sub-page that has no object shows its skin only.

#include "DuilibButton.h"
#include "IPageUI.h"

#include <array>
#include <memory>

class CFunctionSetPageUI : public IPageUI {
public:
    static constexpr int kPageIndex = 1;
    static constexpr int kSubPageCount = 6;
    enum SubPage { kSearchlight = 0, kDigitalLaser = 1, kZoom = 2, kPostil = 3, kSetting = 4, kAdvancedFeatures = 5 };

    explicit CFunctionSetPageUI(CPaintManagerUI* manager);
    ~CFunctionSetPageUI() override;

    // Installs the object of sub-page `index` (0 to 5), replacing any before it.
    void SetSubPage(int index, std::unique_ptr<IPageUI> page);
    IPageUI* GetSubPage(int index) const;
    int GetCurrentSubPage() const { return m_nCurrentSubPage; }

    void StyleAndShow(bool show) override;
    void Notify(TNotifyUI& msg) override;
    void Reset() override;
    void Refresh() override;

    // Shows sub-page `index` (others hidden), marks its button and re-places the floating layer.
    // Any other index changes nothing.
    void SelectSubPage(int index, bool show = true);

private:
    CPaintManagerUI* m_pManager;
    std::array<std::unique_ptr<IPageUI>, kSubPageCount> m_subPages;
    std::array<CDuilibButton, kSubPageCount> m_buttons;
    CDuilibLabel m_demonstration;
    int m_nCurrentSubPage = 0;
};
