#pragma once
// Effect geometry is kept in physical pixels of the virtual desktop (what the remote's pointer
// and X11 use); Qt places widgets in logical pixels. A surface is one monitor seen both ways:
// Qt keeps each screen's top-left corner at its physical position and divides distances from
// it by the screen's device pixel ratio. UI thread.

#include "IScreens.h"

#include <QPointF>
#include <QRect>
#include <QRectF>

struct EffectSurface {
    platform::ScreenRect physical; // the monitor, physical pixels
    QRect logical;                 // the same monitor as Qt places widgets on it
    qreal ratio = 1.0;             // physical pixels per logical pixel
    QPoint origin;                 // the Qt screen's top-left corner, the same in both systems

    // The Qt screen whose physical rectangle holds the centre of `physical` (the nearest one
    // when none does); without screens the identity.
    static EffectSurface For(const platform::ScreenRect& physical);

    // A physical point or rectangle of the desktop, in logical desktop coordinates.
    QPointF ToLogical(int x, int y) const;
    QRectF ToLogical(int left, int top, int width, int height) const;
};
