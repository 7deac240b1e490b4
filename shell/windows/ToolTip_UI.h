#pragma once
// The tooltip window ("ToolTipUI.xml"): the name of the function or pen colour just chosen, at
// the top-right corner of the presentation screen, for two seconds after the last change.
// UI thread only; ToolTip_Fun is the thread-safe way in.

#include "IScreens.h"
#include "ToolTipState.h"
#include "UIlib.h"
#include "WindowOnOverlay.h"

class ToolTip_UI : public WindowImplBase {
public:
    static constexpr UINT kHideTimerId = 1;
    static constexpr UINT kHideTimerMs = 10;
    // Posted to the window by other threads; wParam carries the mode.
    static constexpr UINT WM_TOOLTIP_MODE = WM_USER + 210;
    static constexpr UINT WM_TOOLTIP_COLOR_MODE = WM_USER + 211;
    static constexpr UINT WM_TOOLTIP_HIDE = WM_USER + 212;

    // `screens` is the monitor layout (kept by the caller).
    explicit ToolTip_UI(const platform::IScreens& screens);

    // Builds the hidden window owned by `owner`. False when the skin cannot be built.
    bool Build(HWND owner);

    void SetToolTipMode(int functionId);
    void SetToolTipColorMode(int colourMode);
    void HideToolTip();

    void InitWindow() override;
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;

    int GetMode() const { return m_state.GetMode(); }
    int GetScale() const { return m_scale; }
    // Shown on the compositor's overlay layer (where the session draws its effects there).
    bool IsOnOverlay() const { return m_overlay.IsShown(); }
    std::string GetText() const;

private:
    void Place();
    void ShowText(const std::string& text);
    void OnHideTimer();
    void Conceal();

    const platform::IScreens& m_screens;
    CControlUI* m_pText = nullptr;
    RECT m_rcTextAtScale2{};
    CToolTipState m_state;
    int m_scale = 2;
    platform::ScreenRect m_placed; // the window's rectangle, logical pixels
    WindowOnOverlay m_overlay{"ToolTip_UI", platform::OverlayPlacement::Anchor::TopRight, true};
};
