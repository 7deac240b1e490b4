#include "CSearchlightPageUI.h"

#include "SettingPageControls.h"
#include "SettingRanges.h"

namespace {

const CLensSettingsUI::Keys kKeys = {
    "funset_searchlight_style",         "FunSet_",
    ConfigReal::SearchlightBorderRound, ConfigReal::SearchlightAspectRatio,
    ConfigInt::SearchlightAlphaVal,     ConfigInt::SearchlightShowMouse,
    ConfigInt::SearchlightSaveStatu,    "searchlight_border_round_tooltip",
    "searchlight_aspect_ratio_tooltip", "searchlight_alpha_tooltip",
    kSpotlightLeastAlpha,               true};

} // namespace

CSearchlightPageUI::CSearchlightPageUI(CPaintManagerUI* manager)
    : m_pManager(manager), m_lens(manager, kKeys), m_mouseCenter(manager)
{
}

void CSearchlightPageUI::StyleAndShow(bool show)
{
    m_bShown = show;
    m_lens.StyleAndShow(show);
    m_mouseCenter.Init("FunSet_Mouse_Center", kKeys.styleSection, "funset_searchlight_style_demonstration_mouse_center",
                       false);
    if (show)
        ShowMouseCenter();
}

void CSearchlightPageUI::Refresh()
{
    m_lens.Refresh();
    ShowMouseCenter();
}

void CSearchlightPageUI::ShowMouseCenter()
{
    // The preview's pointer marker follows the show-pointer switch.
    m_mouseCenter.SetVisible(m_bShown && m_lens.IsShowMouseOn());
}

void CSearchlightPageUI::Notify(TNotifyUI& msg)
{
    if (!m_lens.Notify(msg))
        return;
    ShowMouseCenter();
    PostFloatingLayerPlace(m_pManager);
}
