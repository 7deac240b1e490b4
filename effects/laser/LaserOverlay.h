#pragma once
// The window the laser dot is drawn in: as large as the dot, centred on the point. The dot's
// picture is scaled once per size or picture change and kept; a move only moves the window,
// with one request to the X server.
// With a compositor the window has real alpha; without one it is shaped from the picture's
// alpha, so the glow's faint rim is cut off rather than drawn on black. UI thread.

#include "EffectSizes.h"
#include "EffectSurface.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <functional>

class LaserOverlay final : public QWidget {
public:
    // `onRightButtonUp` runs when the dot is right-clicked.
    explicit LaserOverlay(std::function<void()> onRightButtonUp);

    // Draws `picture` (null: nothing) at `size` physical pixels centred on the physical point
    // (x, y) of `surface` and shows the window without activating it.
    void Render(const QImage& picture, EffectSize size, const EffectSurface& surface, int x, int y, bool composited);

    // Hides the window; use it instead of hide(), which would leave Qt unaware of native moves.
    void Conceal();

    // What the window shows, physical pixels; for tests and benchmarks.
    const QImage& Frame() const { return m_frame; }
    // How often the picture was scaled.
    int RenderCount() const { return m_renders; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // Gives Qt its move notifications back and tells it where the window is.
    void Unmute();

    std::function<void()> m_onRightButtonUp;
    QImage m_frame;
    qint64 m_pictureKey = 0;
    EffectSize m_size;
    qreal m_ratio = 0.0;
    int m_shapedFor = -1; // 1 shaped (no compositor), 0 unshaped, -1 not set
    bool m_bEmpty = true; // nothing visible in the frame
    int m_renders = 0;
    // While shown on X11 the window moves by native requests with its move notifications muted
    // (the mask to restore, 0 when not muted); m_movedTo is where those moves put it.
    std::uint32_t m_mutedMask = 0;
    QPoint m_movedTo;
};
