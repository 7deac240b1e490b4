#pragma once
// Magnifier sub-page (2) of the function setting page: the lens shape and dimming, the pointer
// and keep-showing switches and the magnification (1.5, 2.0, 2.5), with an enlarged preview.

#include "CLensSettingsUI.h"
#include "IPageUI.h"

#include <array>
#include <functional>
#include <string>

class CZoomPageUI : public IPageUI {
public:
    // The preview picture's file for a magnification; empty when there is none.
    using PreviewImage = std::function<std::string(double zoomMom)>;

    explicit CZoomPageUI(CPaintManagerUI* manager, PreviewImage previewImage = {});
    void SetPreviewImage(PreviewImage previewImage) { m_previewImage = std::move(previewImage); }

    void StyleAndShow(bool show) override;
    void Notify(TNotifyUI& msg) override;
    void Reset() override { Refresh(); }
    void Refresh() override;

private:
    void ShowZoomMom();
    void ShowPreview();

    CPaintManagerUI* m_pManager;
    PreviewImage m_previewImage;
    CLensSettingsUI m_lens;
    CDuilibLabel m_demonstration;
    CDuilibLabel m_preview;
    CDuilibLabel m_zoomMomText;
    std::array<CDuilibButton, 3> m_zoomMom;
};
