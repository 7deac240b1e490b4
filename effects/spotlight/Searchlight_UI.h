#pragma once
// The spotlight's window ("SearchlightUI.xml"): a cover over the presentation screen with a
// rounded hole ("tanzhaodeng") around the effect point, and the marker window at its centre.
// With a compositing manager the cover is black at AlphaVal/255 and the hole cleared pixels;
// without one the cover is opaque black and the hole is cut out of the window's shape, so the
// live screen shows through it and nothing turns the screen black.
//
// The step functions (ShowStep, PlaceHole, Collapse) may be called from any thread: they
// record what the window should look like and the UI thread applies the newest record, so a
// busy UI thread skips stale positions instead of queueing them. A move repaints only the
// pixels where the old and the new hole differ (or, without a compositor, reshapes the window).

#include "EffectServices.h"
#include "EffectSizes.h"
#include "EffectSurface.h"
#include "UIlib.h"
#include "UiCoalescingPost.h"

#include <atomic>
#include <memory>
#include <mutex>

class CoverPainter;
class QRectF;
class SearchlightMarker;
class SpotlightLayer;

class Searchlight_UI final : public WindowImplBase {
public:
    // Re-applies the cover's alpha (the cached AlphaVal).
    static constexpr UINT WM_SEARCHLIGHT_ALPHA = 10001;
    // Applies the newest recorded frame.
    static constexpr UINT WM_SEARCHLIGHT_FRAME = 10002;

    explicit Searchlight_UI(const EffectServices& services);
    ~Searchlight_UI() override;

    const char* GetWindowClassName() const override { return "Searchlight_UI"; }
    // Builds the collapsed window and its marker. UI thread.
    bool Build();

    // Any thread.
    void ShowStep(EffectPoint point);
    void PlaceHole(EffectPoint point);
    void Collapse();
    bool GetSaveStatu() const;

    // UI thread, for the owner and tests.
    bool IsCovering() const { return m_bCovering; }
    bool IsComposited() const { return m_bComposited; }
    SearchlightMarker* GetMarker() const { return m_pMarker.get(); }
    CControlUI* GetHole() const { return m_pHole; }
    // The spotlight on the compositor's overlay layer, where the session has one.
    SpotlightLayer* GetLayer() const { return m_pLayer.get(); }

    void InitWindow() override;
    void Notify(TNotifyUI& msg) override;
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;

private:
    struct Frame {
        bool covering = false;
        platform::ScreenRect screen;
        EffectPoint point;
    };
    struct Settings {
        bool showMouse = false;
        bool saveStatu = false;
        int width = 0;
        int height = 0;
        float aspectRatio = 0.5f;
        float borderRound = 0.5f;
        int alpha = 100;
        bool composited = false;
    };

    void LoadSettings(bool withAlpha);
    void ApplyFrame();
    // Draws the frame on the overlay layer; false when there is none to draw on.
    bool ApplyOnLayer(const Frame& frame, const Settings& settings);
    void ApplyCover();
    // Moves the cleared hole, repainting only the pixels that change. Composited cover only.
    void RepaintHole(const QRectF& hole, const SIZE& round);

    EffectServices m_services;

    // What the window should show; written by any thread, applied on the UI thread.
    mutable std::mutex m_lock;
    Settings m_settings;
    int m_nAppliedAlpha = -1;
    std::atomic<HWND> m_hPostTarget{nullptr};
    UiCoalescingPost<Frame> m_frames;

    // UI thread.
    CControlUI* m_pBackground = nullptr;
    CControlUI* m_pHole = nullptr;
    std::unique_ptr<SearchlightMarker> m_pMarker;
    std::unique_ptr<CoverPainter> m_pCoverPainter;
    std::unique_ptr<SpotlightLayer> m_pLayer;
    EffectSurface m_surface; // of the shown cover's screen
    bool m_bCovering = false;
    bool m_bComposited = false;
    bool m_bModeLogged = false;
    int m_nCoverAlpha = -1; // alpha the background was last painted with
};
