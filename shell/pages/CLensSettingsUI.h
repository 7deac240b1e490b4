#pragma once
// The controls the spotlight and magnifier sub-pages share: corner roundness, aspect ratio and
// dimming sliders, and the show-pointer and keep-showing switches, each written to its key at
// once with a tooltip showing the stored value.

#include "ConfigKeys.h"
#include "DuilibButton.h"
#include "DuilibSlider.h"

#include <string>

class CLensSettingsUI {
public:
    struct Keys {
        const char* styleSection;  // "funset_searchlight_style"
        const char* controlPrefix; // "FunSet_" or "FunSet_Zoom_"
        ConfigReal borderRound;
        ConfigReal aspectRatio;
        ConfigInt alphaVal;
        ConfigInt showMouse;
        ConfigInt saveStatu;
        const char* roundToolTip;
        const char* aspectToolTip;
        const char* alphaToolTip;
        int alphaMin;
        // The spotlight shows its dimming from the least it can darken (51) as 1 %; the
        // magnifier shows the slider's own percentage.
        bool dimmingFromLeast;
    };

    CLensSettingsUI(CPaintManagerUI* manager, const Keys& keys);

    void StyleAndShow(bool show);
    // Sliders and switches from the settings object, with their tooltips.
    void Refresh();
    // A click, "valuechanged" or "movevaluechanged" on one of these controls: true when handled.
    bool Notify(TNotifyUI& msg);

    bool IsShowMouseOn() const;

private:
    std::string Control(const char* name) const { return std::string(m_keys.controlPrefix) + name; }
    std::string Style(const char* name) const { return std::string(m_keys.styleSection) + "_" + Control(name); }
    void InitSlider(CDuilibSlider& slider, const char* base, bool show);
    void UpdateToolTips();

    Keys m_keys;
    CDuilibLabel m_roundText;
    CDuilibLabel m_aspectText;
    CDuilibLabel m_alphaText;
    CDuilibSlider m_round;
    CDuilibSlider m_aspect;
    CDuilibSlider m_alpha;
    CDuilibButton m_showMouse;
    CDuilibLabel m_showMouseText;
    CDuilibButton m_saveStatu;
    CDuilibLabel m_saveStatuText;
};
