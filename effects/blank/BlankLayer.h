#pragma once
// The blank screen on the compositor's overlay layer: one surface over the presentation screen
// that takes the keyboard while it is up (a Wayland program sees no keys typed elsewhere), whose
// curtain is painted down and up a strip at a time. UI thread, but for `onKey`, which runs on the
// overlay connection's thread.

#include "OverlayCover.h"

#include <QColor>
#include <QImage>

#include <functional>
#include <memory>

class BlankLayer {
public:
    BlankLayer(platform::IOverlaySurfaces* overlays, std::function<void()> onKey)
        : m_overlays(overlays), m_onKey(std::move(onKey))
    {
    }

    // The curtain's look: `picture` stretched over the screen, else `colour`.
    void SetContent(QColor colour, QImage picture);
    // The curtain's bottom edge `height` physical pixels below the top of `screen`; 0 takes the
    // surface away. False when the surface cannot be put up.
    bool Roll(const platform::ScreenRect& screen, int height);
    bool IsUp() const { return m_surface != nullptr; }

private:
    void Paint(int from, int to, bool curtain);

    platform::IOverlaySurfaces* m_overlays;
    std::function<void()> m_onKey;
    std::unique_ptr<platform::IOverlaySurface> m_surface;
    QColor m_colour = Qt::black;
    QImage m_picture;
    QImage m_scaled; // the picture at the surface's size
    qreal m_ratio = 1.0;
    int m_height = 0; // surface pixels
};
