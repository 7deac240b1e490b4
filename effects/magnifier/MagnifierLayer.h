#pragma once
// The magnifier on the compositor's overlay layer: the dim layer as a cover over the
// presentation screen (black at its alpha over the live screen) and the lens as a picture above
// it, sent again at each move. UI thread.

#include "EffectSizes.h"
#include "OverlayCover.h"

class MagnifierLayer {
public:
    explicit MagnifierLayer(platform::IOverlaySurfaces* overlays) : m_cover(overlays), m_lens(m_cover) {}

    // Puts the dim layer up on `screen` at `alpha`; false when it cannot be.
    bool Cover(const platform::ScreenRect& screen, int alpha);
    // Shows `frame` (the lens, cover pixels) centred on the desktop point `at`.
    void ShowLens(const QImage& frame, EffectPoint at);
    void Hide();
    bool IsShown() const { return m_cover.IsOpen(); }
    qreal Ratio() const { return m_cover.Ratio(); }

private:
    OverlayCover m_cover;
    OverlayPicture m_lens;
    int m_alpha = -1;
};
