#pragma once
// Host of the laser dot ("DigitalLaserUI.xml"): a window that is never seen; it owns the dot's
// picture and overlay and receives the draw and hide requests of the laser worker on the UI
// thread. Only the newest draw request is kept, so a busy UI thread draws the latest point and
// skips stale ones.

#include "EffectServices.h"
#include "EffectSizes.h"
#include "EffectSurface.h"
#include "UIlib.h"
#include "UiCoalescingPost.h"

#include <QImage>

#include <atomic>
#include <memory>
#include <string>

class LaserLayer;
class LaserOverlay;

class DigitalLaser_UI final : public WindowImplBase {
public:
    // Draws the newest request.
    static constexpr UINT WM_LASER_DRAW = 32025;
    // Hides the overlay.
    static constexpr UINT WM_LASER_HIDE = 32026;

    explicit DigitalLaser_UI(const EffectServices& services);
    ~DigitalLaser_UI() override;

    const char* GetWindowClassName() const override { return "DigitalLaser_UI"; }
    // Builds the hidden host with its overlay. UI thread.
    bool Build();
    // Closes the host and drops the overlay and the picture. UI thread.
    void Release();

    // Any thread. `reloadPicture` loads the picture of the current colour first.
    void PostDraw(EffectPoint point, EffectSize size, bool reloadPicture);
    void PostHide();

    // UI thread: the picture path of the current colour; false (logged) when it cannot be read.
    bool LoadMaxLaserImageForCurrentColor();
    LaserOverlay* GetOverlay() const { return m_pOverlay.get(); }
    // The dot on the compositor's overlay layer, where the session has one.
    LaserLayer* GetLayer() const { return m_pLayer.get(); }
    bool HasPicture() const { return !m_image.isNull(); }

    void InitWindow() override;
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;

private:
    struct Draw {
        EffectPoint point;
        EffectSize size;
        bool reloadPicture = false;
    };

    void DrawPending();
    void CreateOverlay();

    EffectServices m_services;

    std::atomic<HWND> m_hPostTarget{nullptr};
    UiCoalescingPost<Draw> m_draws;

    // UI thread.
    bool m_bComposited = false;
    bool m_bModeKnown = false; // m_bComposited and m_surface are set
    EffectSurface m_surface;
    EffectPoint m_drawnAt; // the last point drawn
    bool m_bDrawn = false; // drawn since the last hide
    QImage m_image;
    std::unique_ptr<LaserOverlay> m_pOverlay;
    std::unique_ptr<LaserLayer> m_pLayer;
};
