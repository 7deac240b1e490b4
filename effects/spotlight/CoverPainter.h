#pragma once
// A dark cover with a rounded hole, as the spotlight and the settings preview draw it. With a
// compositing manager the cover paints itself at its alpha and clears the hole (see-through, with
// antialiased edges); without one the window is opaque and its shape cuts the hole
// (HoleRegion), since cleared pixels would show black. UI thread.

#include "SkinTypes.h"

#include <memory>

#include <QColor>
#include <QImage>
#include <QObject>
#include <QPainterPath>
#include <QRectF>
#include <QRegion>

// The outline of a hole whose border round is `round` (the corner ellipse's full width and
// height, as skin controls take it).
QPainterPath HolePath(const QRectF& rect, const SIZE& round);
// The same outline as a region, for a window shape.
QRegion HoleRegion(const QRectF& rect, const SIZE& round);

class CControlUI;
class CoverPainter;

// Makes `cover` an opaque black control painted by a new cover painter (null when `cover` is):
// what the spotlight and the settings preview do with their skins' "windowbackground".
std::unique_ptr<CoverPainter> InstallCoverPainter(CControlUI* cover);

// Installed as an event filter on the cover control, it replaces that control's painting. It
// repaints only what it is asked to.
class CoverPainter final : public QObject {
public:
    QColor colour = Qt::black;
    bool clearHole = false;
    // Over other widgets of the same window (the cover is a child widget): the cover is blended
    // onto them and the hole left unpainted, where a window of its own replaces its pixels.
    bool blend = false;
    QRectF hole; // whole logical pixels, in the cover control's coordinates
    SIZE round{0, 0};

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The hole on the cover, rendered once per shape, colour and scale: a paint copies its
    // pixels instead of rasterising the rounded outline again.
    const QImage& Tile(const QSize& size, qreal ratio);

    QImage m_tile;
    QSize m_tileSize;
    SIZE m_tileRound{0, 0};
    QColor m_tileColour;
};
