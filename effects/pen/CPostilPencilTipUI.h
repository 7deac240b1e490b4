#pragma once
// The annotation pen's tip ("PostilPencilTipUI.xml"): after a width step it shows the pen's
// colour picture as a bar as high as the pen is wide, centred on the presentation screen, and
// hides itself 1500 ms after the last step. UI thread.

#include "EffectSurface.h"
#include "UIlib.h"

#include <cstdint>

class PenLayer;
#include <string>

class CPostilPencilTipUI final : public WindowImplBase {
public:
    static constexpr UINT WM_POSTIL_TIP_SHOW = 20000;
    static constexpr UINT kHideTimerId = 1;
    static constexpr UINT kHideTimerMs = 500;
    static constexpr uint32_t kShownMs = 1500;
    static constexpr int kWidth = 300;
    static constexpr int kHeight = 150;

    CPostilPencilTipUI();
    const char* GetWindowClassName() const override { return "CPostilPencilTipUI"; }
    bool Build();
    // Shows the tip on the pen's overlay layer while its cover is up there (null: the window).
    void UseLayer(PenLayer* layer) { m_pLayer = layer; }

    // Shows the tip centred on `surface` for a pen `penWidth` pixels wide in colour `colorCode`.
    // Without a compositor its rounded corners are cut by the window's shape.
    void ShowTip(const EffectSurface& surface, int penWidth, int colorCode, bool composited);
    void Hide();
    bool IsShown() const { return m_bShown; }
    // The tip's bar picture for a colour code; empty for codes without one.
    static std::string PictureFor(int colorCode);
    CControlUI* GetImageLabel() const { return m_pImage; }

    void InitWindow() override;
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;

private:
    CControlUI* m_pImage = nullptr;
    PenLayer* m_pLayer = nullptr;
    uint32_t m_lastShow = 0;
    int m_nPenWidth = 6;
    bool m_bShown = false;
};
