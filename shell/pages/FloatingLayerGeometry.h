#pragma once
// Where the settings preview's parts go. The preview is a 595 x 220 panel over the main window's
// demonstration area at (250, 140); its hole is 180 pixels wide at (207, 20), as high as the
// effect's aspect ratio makes it, with the effect's roundness; the main window's marker label
// sits on the hole's centre. All in logical pixels. No Qt, no OS.

#include "SkinTypes.h"

class FloatingLayerGeometry {
public:
    static constexpr int kOffsetX = 250; // the panel's place in the main window
    static constexpr int kOffsetY = 140;
    static constexpr int kWidth = 595;
    static constexpr int kHeight = 220;
    static constexpr int kHoleLeft = 207;
    static constexpr int kHoleTop = 20;
    static constexpr int kHoleWidth = 180;
    static constexpr float kMinAspect = 0.3f;
    static constexpr int kMarkerSize = 22;
    // Page 1's sub-pages that have a preview.
    static constexpr int kSpotlightSubPage = 0;
    static constexpr int kMagnifierSubPage = 2;

    enum class Effect { None, Spotlight, Magnifier };
    // The effect previewed: only on the spotlight or magnifier sub-page of a visible window
    // (`subPage` is -1 when page 1 is not the current page).
    static Effect EffectFor(bool mainWindowVisible, int subPage);

    struct Shape {
        RECT hole{};     // panel coordinates
        SIZE round{};    // border round: the corner ellipse's full width and height
        POINT centre{};  // the hole's centre, panel coordinates
    };
    // Aspect ratio below 0.3 counts as 0.3; the hole never reaches below the panel; a value that
    // is not a number takes the default 0.5. Roundness is kept within 0..1.
    static Shape ShapeFor(float aspectRatio, float borderRound);

    // The panel over a main window whose client area starts at (left, top).
    static RECT PanelRect(int mainLeft, int mainTop);
    // The main window's marker label, centred on the hole (main-window client coordinates).
    static RECT MainMarkerRect(POINT centre);
    // The panel's own marker, centred on the hole (panel coordinates).
    static RECT LayerMarkerRect(POINT centre);
};
