#pragma once
// Surfaces the compositor itself keeps above every window, full-screen ones included, on a
// Wayland desktop that offers them (layer-shell). The effects paint into them with QPainter
// instead of showing toolkit windows; which pixels change is theirs to say, and only those
// travel to the compositor. Never focused and click-through, except a surface made to take
// the keyboard or the pointer. Pixel coordinates are those of the surface's picture: physical pixels of its
// monitor.

#include "IScreens.h"

#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QRegion>
#include <QSize>

#include <functional>
#include <memory>
#include <vector>

class QPainter;

namespace platform {

class IOverlaySurface {
public:
    virtual ~IOverlaySurface() = default;
    // The picture's size; empty when the compositor gave the surface none (it could not be shown).
    virtual QSize Size() const = 0;
    // Has `draw` paint the whole picture through a painter clipped to `damage` (the picture keeps
    // the previous frame everywhere else) and shows the result: only `damage` is sent to the
    // compositor. False when the surface is gone (the compositor closed it, or the connection
    // broke).
    virtual bool Paint(const QRegion& damage, const std::function<void(QPainter&)>& draw) = 0;
    // The compositor closed the surface (its monitor went away) or the connection broke: it
    // shows nothing any more, and a new one must be made.
    virtual bool Gone() const = 0;
    // Child surfaces: puts the top-left corner at `topLeft` in the parent's pixels.
    virtual void MoveTo(QPoint topLeft) = 0;
    // Child surfaces: takes the picture off the screen until the next Paint.
    virtual void Hide() = 0;
    // A surface stacked above this one, inside its area, `size` pixels, hidden until painted.
    // Null when it cannot be made.
    virtual std::unique_ptr<IOverlaySurface> AddChild(QSize size) = 0;
};

// The pointer over a surface that takes it: where it is, in the surface's picture pixels, and
// which button went down or up.
struct OverlayPointerEvent {
    enum class Kind { Motion, Press, Release };
    Kind kind = Kind::Motion;
    QPointF at;
    Qt::MouseButton button = Qt::NoButton;
};

struct OverlayPlacement {
    enum class Anchor {
        Cover,    // the whole monitor
        TopRight, // `size` at the top-right corner, `margin` pixels in from both edges
        Centre,   // `size` in the middle
    };
    Anchor anchor = Anchor::Cover;
    QSize size;
    int margin = 0;
    // Takes every key while shown (the blank screen); each key press is handed to `onKey` as the
    // key it types with the seat's keymap (a Qt::Key; Qt::Key_unknown for most keys beyond the
    // Latin ones), on the overlay's own thread.
    bool takesKeys = false;
    std::function<void(int key)> onKey;
    // Set: the surface takes the pointer over its whole area (a selection drawn on it) and hands
    // every move and button to it, on the overlay's own thread. Unset: click-through.
    std::function<void(const OverlayPointerEvent&)> onPointer;
    // The pointer's look over a surface that takes it.
    Qt::CursorShape cursor = Qt::ArrowCursor;
    // A frozen picture waits until the surface is gone (see ShownCount).
    bool blocksCapture = true;
};

class IOverlaySurfaces {
public:
    virtual ~IOverlaySurfaces() = default;
    // A surface on the monitor that holds the centre of `screen` (physical desktop pixels), shown
    // from its first Paint until it is destroyed. Null when the compositor does not make one.
    // Any thread, one at a time per surface.
    virtual std::unique_ptr<IOverlaySurface> Create(const ScreenRect& screen, const OverlayPlacement& placement) = 0;
    // The compositor's monitors, in the order it announced them, at their logical desktop positions.
    virtual std::vector<ScreenRect> Outputs() const = 0;
    // Surfaces now shown (created and not yet destroyed) that a frozen picture must not hold.
    virtual int ShownCount() const = 0;
    // Returns once the compositor has carried out every request made so far (a surface destroyed
    // before is off the screen at its next repaint).
    virtual void Sync() = 0;
};

} // namespace platform
