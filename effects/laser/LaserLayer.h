#pragma once
// The laser dot on the compositor's overlay layer: a clear cover over the presentation screen
// and the dot as a picture above it. The dot's picture is scaled once per size or colour; a move
// only moves it. UI thread.

#include "EffectSizes.h"
#include "OverlayCover.h"

class LaserLayer {
public:
    explicit LaserLayer(platform::IOverlaySurfaces* overlays) : m_cover(overlays), m_dot(m_cover) {}

    // Draws `picture` at `size` physical pixels centred on the desktop point `point` of `screen`.
    // False when the cover cannot be put up.
    bool Draw(const platform::ScreenRect& screen, const QImage& picture, EffectSize size, EffectPoint point);
    void Hide() { m_cover.Close(); }
    bool IsShown() const { return m_dot.IsShown(); }
    // Where the dot's top-left corner is, cover pixels.
    QPoint DotTopLeft() const { return m_dot.TopLeft(); }

private:
    OverlayCover m_cover;
    OverlayPicture m_dot;
    QImage m_scaled;
    qint64 m_pictureKey = 0;
    EffectSize m_size;
};
