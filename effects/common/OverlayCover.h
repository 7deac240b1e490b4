#pragma once
// An effect drawn on the compositor's overlay layer instead of in windows: one surface over the
// whole presentation screen (the cover, dimmed or clear), and the small pictures above it (the
// dot, the marker, the lens, the pencil) as its children, which move without repainting
// anything. Points are physical desktop pixels, as everywhere in the effects. One thread at a
// time (the UI thread).

#include "IOverlaySurfaces.h"

#include <QImage>
#include <QPointF>
#include <QRectF>

#include <memory>
#include <vector>

class OverlayPicture;

class OverlayCover {
public:
    explicit OverlayCover(platform::IOverlaySurfaces* overlays) : m_overlays(overlays) {}
    ~OverlayCover() { Close(); }
    OverlayCover(const OverlayCover&) = delete;
    OverlayCover& operator=(const OverlayCover&) = delete;

    // Puts the cover up on `screen` unless it is up there already; true when it is up. A new
    // cover is clear until painted, and `fresh` (when given) says it was just made.
    bool Open(const platform::ScreenRect& screen, bool* fresh = nullptr);
    bool IsOpen() const { return m_surface != nullptr; }
    // Takes the cover and its pictures off the screen.
    void Close();

    platform::IOverlaySurface* Surface() const { return m_surface.get(); }
    QSize Size() const { return m_surface ? m_surface->Size() : QSize(); }
    // Cover pixels per physical desktop pixel.
    qreal Ratio() const { return m_ratio; }
    // A desktop point or rectangle in the cover's pixels.
    QPointF ToCover(int x, int y) const;
    QRectF ToCover(const QRectF& desktop) const;

private:
    friend class OverlayPicture;
    platform::IOverlaySurfaces* m_overlays;
    std::unique_ptr<platform::IOverlaySurface> m_surface;
    platform::ScreenRect m_screen;
    qreal m_ratio = 1.0;
    std::vector<OverlayPicture*> m_pictures;
};

// A picture above the cover, made when first shown and dropped with the cover.
class OverlayPicture {
public:
    explicit OverlayPicture(OverlayCover& cover);
    ~OverlayPicture();
    OverlayPicture(const OverlayPicture&) = delete;
    OverlayPicture& operator=(const OverlayPicture&) = delete;

    // Shows `picture` (cover pixels) with its top-left corner at `topLeft` on the cover: sent again
    // only when it is another picture (its cache key) or was hidden, else only moved.
    void ShowAt(const QImage& picture, QPoint topLeft);
    // Sends `picture` again, changed in `damage` only (a picture the caller keeps drawing on).
    void Repaint(const QImage& picture, const QRegion& damage);
    void Hide();
    bool IsShown() const { return m_shown; }
    QPoint TopLeft() const { return m_topLeft; }

private:
    friend class OverlayCover;
    void Drop();

    OverlayCover& m_cover;
    std::unique_ptr<platform::IOverlaySurface> m_surface;
    qint64 m_key = 0;
    QPoint m_topLeft;
    bool m_shown = false;
};
