#pragma once
// The annotation pen on the compositor's overlay layer: the frozen picture with its strokes as
// one surface over the presentation screen, a segment sending only its own rectangle, and the
// pencil and the width tip as pictures above it. UI thread.

#include "OverlayCover.h"

class PenLayer {
public:
    explicit PenLayer(platform::IOverlaySurfaces* overlays) : m_cover(overlays), m_pencil(m_cover), m_tip(m_cover) {}

    // Covers `screen` with `canvas` (its physical size); false when the cover cannot be put up.
    bool Cover(const platform::ScreenRect& screen, const QImage& canvas);
    // Sends `damage` (canvas pixels) of `canvas` again.
    void Update(const QImage& canvas, const QRect& damage);
    // The pencil `picture` with its top-left corner on the desktop point (x, y).
    void PlacePencil(const QImage& picture, int x, int y);
    void HidePencil() { m_pencil.Hide(); }
    // The width tip's `picture` in the middle of the cover, above the strokes.
    void ShowTip(const QImage& picture);
    void HideTip() { m_tip.Hide(); }
    bool TipShown() const { return m_tip.IsShown(); }
    void Hide() { m_cover.Close(); }
    bool IsShown() const { return m_cover.IsOpen(); }
    bool PencilShown() const { return m_pencil.IsShown(); }

private:
    OverlayCover m_cover;
    OverlayPicture m_pencil;
    OverlayPicture m_tip;
};
