#pragma once
// The floating layer of the function setting page ("FunctionSet_Searchlight.xml"): a dark panel
// over the main window's demonstration area with a see-through hole of the spotlight's or the
// magnifier's shape, following their sliders. Owned by the main window, shown without activation,
// never focused, click-through. With a compositing manager the panel is black at the effect's
// AlphaVal and the hole cleared pixels; without one the panel is opaque and the window's shape
// cuts the hole. Where the window system places windows itself (a Wayland desktop), a window of
// its own would land anywhere: there the layer is a part of the main window, blended over the
// page at the effect's AlphaVal with the hole left unpainted. Emptied means hidden. Every
// operation runs under the layer's lock; UI thread.

#include "FloatingLayerGeometry.h"
#include "IFloatingLayer.h"
#include "UIlib.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class CConfigManager;
class CoverPainter;
class QObject;
namespace platform {
class ICompositor;
}

class CFunctionSet_FloatingLayer_UI final : public WindowImplBase, public IFloatingLayer {
public:
    // What the layer asks the rest of the program at every placement. Empty members take the
    // defaults given.
    struct Hooks {
        // Page 1's current sub-page (0 spotlight, 2 magnifier), -1 when page 1 is not current.
        // Empty: -1, the layer never shows.
        std::function<int()> currentSubPage;
        // The main window's client area in global logical coordinates. Empty: the owner's geometry.
        std::function<RECT()> mainWindowRect;
        // Empty: whether the owner window is visible.
        std::function<bool()> mainWindowVisible;
        // Whether a compositing manager runs. Empty: asked of the X server.
        std::function<bool()> composited;
        // Null: the process-wide settings object.
        CConfigManager* config = nullptr;
        // The layer is a part of the main window rather than a window over it. Empty: on a
        // Wayland desktop.
        std::optional<bool> insideMainWindow;
    };

    CFunctionSet_FloatingLayer_UI(HWND mainWnd, CPaintManagerUI* mainManager, Hooks hooks);
    ~CFunctionSet_FloatingLayer_UI() override;

    const char* GetWindowClassName() const override { return "FunctionSet_Searchlight_UI"; }
    // Builds the hidden window, owned by the main window. False (logged) when it cannot be built.
    bool Build();

    // IFloatingLayer.
    void SetEmptyRect() override;
    // The decision of the page's re-place message: shows the preview of the current sub-page's
    // effect over the main window, or empties the layer.
    void PlaceOverMainWindow() override;

    // The steps of a placement.
    void SetAlpha(int alpha);
    // Returns the hole's centre in panel coordinates.
    POINT SetAspectRatio(float aspectRatio);
    void SetBorderRound(float borderRound);
    void ShowMarker(bool show);
    void ShowOverMainWindow(const RECT& mainRect);
    void Empty();

    // For the owner and tests.
    bool IsShownOver() const;
    FloatingLayerGeometry::Shape GetShape() const;
    bool IsComposited() const;

    void InitWindow() override;
    void Notify(TNotifyUI& msg) override;

private:
    void SetAlphaLocked(int alpha);
    void ApplyShapeLocked();
    void EmptyLocked();
    RECT MainRect() const;
    bool MainVisible() const;

    mutable std::recursive_mutex m_lock;
    HWND m_hMainWnd;
    CPaintManagerUI* m_pMainManager;
    Hooks m_hooks;
    const bool m_bInside;
    std::unique_ptr<platform::ICompositor> m_ownCompositor;

    int m_nAlpha = 100;
    float m_fAspect = 0.5f;
    float m_fRound = 0.5f;
    FloatingLayerGeometry::Shape m_shape;
    bool m_bComposited = false;
    bool m_bShapeApplied = false; // the window shows m_shape, m_nAlpha and m_bComposited
    bool m_bShown = false;
    RECT m_shownRect{};
    RECT m_mainMarkerRect{};

    CControlUI* m_pBackground = nullptr;
    CControlUI* m_pHole = nullptr;
    CControlUI* m_pMarker = nullptr;
    std::unique_ptr<CoverPainter> m_pCoverPainter;
    // Empties the layer whenever the main window hides, whoever hides it (the tray, an effect
    // that starts, the close button).
    std::unique_ptr<QObject> m_ownerWatch;
};
