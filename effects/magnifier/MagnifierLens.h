#pragma once
// The magnifier's lens: a small click-through window centred on the point that shows part of
// the frozen picture enlarged, with rounded corners and an optional marker at its centre.
// Its corners are cut with real alpha where a compositor draws it and by the window's shape
// where none does; the enlarged picture itself is opaque, so black content stays black.
//
// Its buffer (the corner mask) is made for one lens size and rebuilt only when the size, the
// roundness or the mode changes; a move moves the window and repaints it straight from the
// frozen picture, nothing else. UI thread.

#include "EffectSizes.h"
#include "EffectSurface.h"

#include <QImage>
#include <QWidget>

class MagnifierLens final : public QWidget {
public:
    MagnifierLens();

    struct Look {
        EffectSize size;         // physical pixels
        float zoom = 2.0f;
        float borderRound = 0.5f;
        bool composited = false;
    };
    // Draws the lens for `capturePoint` (a point of `frozen`), centred on the physical desktop
    // point `at` of `surface`, and shows it above the other windows without activating it.
    // `marker` (null: none) is drawn 28 x 28 at the centre.
    void Render(const QImage& frozen, EffectPoint capturePoint, const Look& look, const QImage* marker,
                const EffectSurface& surface, EffectPoint at);
    // Sets up what the lens shows, as Render does, without placing or showing the window; `ratio`
    // is the target's physical pixels per logical pixel. Frame() then gives the picture.
    void Prepare(const QImage& frozen, EffectPoint capturePoint, const Look& look, const QImage* marker, qreal ratio);
    // Hides the lens and frees its buffers.
    void Collapse();

    // For tests and benchmarks: what the lens shows (physical pixels, premultiplied ARGB; null
    // while collapsed), how often its buffers were built and how often it was drawn.
    QImage Frame() const;
    int BufferBuilds() const { return m_builds; }
    int Renders() const { return m_renders; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Rebuild(const Look& look, qreal ratio);
    // Paints the lens in logical pixels of the window.
    void Paint(QPainter& painter) const;

    QImage m_frozen;
    QRect m_source; // of m_frozen
    QImage m_marker;
    QImage m_mask; // opaque white inside the rounded outline, cleared outside
    Look m_built;
    qreal m_ratio = 0.0;
    int m_builds = 0;
    int m_renders = 0;
};

// The outline of a lens of `size` with roundness `borderRound`: the corner ellipse is twice the
// roundness times the size (0.5 makes the whole lens an ellipse, 0 a rectangle).
class QPainterPath;
class QPainter;
QPainterPath LensOutline(EffectSize size, float borderRound);
