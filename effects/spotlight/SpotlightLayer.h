#pragma once
// The spotlight on the compositor's overlay layer: the dimmed cover with its rounded hole as one
// surface, the marker as a picture above it. A move repaints only the two holes' rectangles,
// never the whole screen; the marker only moves. UI thread.

#include "EffectSizes.h"
#include "OverlayCover.h"
#include "SkinTypes.h"

class SpotlightLayer {
public:
    explicit SpotlightLayer(platform::IOverlaySurfaces* overlays) : m_cover(overlays), m_marker(m_cover) {}

    // The cover on `screen`, black at `alpha`, with `hole` (physical pixels of the screen, as
    // SearchlightHoleAt gives it) cleared, and `marker` (null: none) centred on the desktop
    // point `point`. False when the cover cannot be put up.
    bool Show(const platform::ScreenRect& screen, int alpha, const SearchlightHole& hole, const QImage* marker,
              EffectPoint point);
    void Hide();
    bool IsShown() const { return m_cover.IsOpen(); }
    // The hole as last painted, cover pixels.
    QRectF PaintedHole() const { return m_hole; }

private:
    OverlayCover m_cover;
    OverlayPicture m_marker;
    QRectF m_hole;
    SIZE m_round{0, 0};
    int m_alpha = -1;
};
