#include "CZoomPageUI.h"

#include "ConfigManager.h"
#include "SettingRanges.h"
#include "FloatingLayerGeometry.h"
#include "SettingPageControls.h"

#include <cmath>

namespace {

constexpr const char* kStyleSection = "funset_zoom_style";
const CLensSettingsUI::Keys kKeys = {kStyleSection,          "FunSet_Zoom_",           ConfigReal::ZoomBorderRound,
                                     ConfigReal::ZoomAspectRatio, ConfigInt::ZoomAlphaVal, ConfigInt::ZoomShowMouse,
                                     ConfigInt::ZoomSaveStatu,    "zoom_border_round_tooltip",
                                     "zoom_aspectratio_tooltip",  "zoom_alpha_tooltip",
                                     kZoomLeastAlpha,             false};
constexpr std::array<const char*, 3> kZoomMomNames = {"FunSet_ZoomMom1_Bnt", "FunSet_ZoomMom2_Bnt", "FunSet_ZoomMom3_Bnt"};
constexpr const char* kSelectedLook = "font=\"1\" textcolor=\"#FFFFFFFF\" normalimage=\"file='button\\seg_sel.png' "
                                      "corner='7,7,7,7'\" hotimage=\"file='button\\seg_sel.png' corner='7,7,7,7'\"";
constexpr const char* kNormalLook = "font=\"0\" textcolor=\"#FFE8ECF4\" normalimage=\"file='button\\seg_n.png' "
                                    "corner='7,7,7,7'\" hotimage=\"file='button\\seg_h.png' corner='7,7,7,7'\"";

} // namespace

CZoomPageUI::CZoomPageUI(CPaintManagerUI* manager, PreviewImage previewImage)
    : m_pManager(manager), m_previewImage(std::move(previewImage)), m_lens(manager, kKeys), m_demonstration(manager),
      m_preview(manager), m_zoomMomText(manager),
      m_zoomMom{CDuilibButton(manager), CDuilibButton(manager), CDuilibButton(manager)}
{
}

void CZoomPageUI::StyleAndShow(bool show)
{
    m_lens.StyleAndShow(show);
    m_demonstration.Init("FunSet_Zoom_demonstration", kStyleSection, "", show);
    m_preview.Init("FunSet_Zoom_Preview", kStyleSection, "funset_zoom_style_FunSet_Zoom_Preview", show);
    m_zoomMomText.Init("FunSet_ZoomMom_Text", kStyleSection, "funset_zoom_style_FunSet_ZoomMom_Text", show);
    for (std::size_t i = 0; i < m_zoomMom.size(); ++i)
        m_zoomMom[i].Init(kZoomMomNames[i], kStyleSection, std::string("funset_zoom_style_") + kZoomMomNames[i], show);
    if (!show)
        return;
    m_zoomMomText.SetTextFromTable("funset", "fun_set_zoom_factor");
    ShowZoomMom();
}

void CZoomPageUI::Refresh()
{
    m_lens.Refresh();
    ShowZoomMom();
}

void CZoomPageUI::ShowZoomMom()
{
    const float zoomMom = CConfigManager::GetInstance().GetReal(ConfigReal::ZoomMom);
    for (std::size_t i = 0; i < m_zoomMom.size(); ++i) {
        if (CControlUI* button = m_zoomMom[i].GetControl())
            button->ApplyAttributeList(std::fabs(zoomMom - kZoomMoms[i]) < 0.01f ? kSelectedLook : kNormalLook);
    }
    ShowPreview();
}

void CZoomPageUI::ShowPreview()
{
    CControlUI* preview = m_preview.GetControl();
    if (preview == nullptr)
        return;
    // The label covers exactly the floating layer's hole, so the enlarged picture (made at the
    // hole's size) fills all of it and nothing of the plain slide shows through below.
    const CConfigManager& config = CConfigManager::GetInstance();
    using Geometry = FloatingLayerGeometry;
    const Geometry::Shape shape =
        Geometry::ShapeFor(config.GetReal(ConfigReal::ZoomAspectRatio), config.GetReal(ConfigReal::ZoomBorderRound));
    preview->SetPos(RECT{shape.hole.left + Geometry::kOffsetX, shape.hole.top + Geometry::kOffsetY,
                         shape.hole.right + Geometry::kOffsetX, shape.hole.bottom + Geometry::kOffsetY});
    preview->SetBorderRound(shape.round);
    if (!m_previewImage)
        return;
    const std::string path = m_previewImage(config.GetReal(ConfigReal::ZoomMom));
    if (!path.empty())
        preview->SetBkImage(CDuiString("file='" + path + "'"));
}

void CZoomPageUI::Notify(TNotifyUI& msg)
{
    bool handled = m_lens.Notify(msg);
    if (handled)
        ShowPreview(); // the aspect and roundness sliders reshape it
    if (!handled && msg.sType == DUI_MSGTYPE_CLICK) {
        const std::string name = SenderName(msg);
        for (std::size_t i = 0; i < m_zoomMom.size(); ++i) {
            if (name == kZoomMomNames[i]) {
                CConfigManager::GetInstance().SetReal(ConfigReal::ZoomMom, kZoomMoms[i], true);
                ShowZoomMom();
                handled = true;
            }
        }
    }
    if (handled)
        PostFloatingLayerPlace(m_pManager);
}
