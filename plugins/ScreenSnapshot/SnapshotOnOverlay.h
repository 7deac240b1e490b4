#pragma once
// The capture window shown as a surface of the compositor's overlay layer, where the session
// draws its effects there (a Wayland desktop that offers layer-shell): a window of ours would
// open under a native full-screen slide show, or nowhere near it. The window itself stays
// hidden: it paints into the surface, and the surface's pointer and keys reach it as its own
// mouse and key events. Owned by the window (a child object), so it goes when the capture ends.
// UI thread.

#include "IOverlaySurfaces.h"

#include <QObject>
#include <QPointer>

#include <memory>

class QWidget;

class SnapshotOnOverlay final : public QObject {
public:
    // Shows `window` (sized to the screen's logical area) covering `screen`, taking the keyboard
    // and the pointer. Null (and nothing shown) when the compositor made no surface.
    static SnapshotOnOverlay* Show(platform::IOverlaySurfaces& overlays, const platform::ScreenRect& screen,
                                   QWidget* window);
    ~SnapshotOnOverlay() override;

    // Delivered as the window's own events, then the surface repainted.
    void DeliverPointer(const platform::OverlayPointerEvent& event);
    void DeliverKey(int key); // a Qt::Key

private:
    explicit SnapshotOnOverlay(QWidget* window);
    void Repaint();

    QWidget* m_window;
    std::unique_ptr<platform::IOverlaySurface> m_surface;
    Qt::MouseButtons m_held;
    // The last press, for double clicks.
    qint64 m_pressedAtMs = -1;
    QPointF m_pressedAt;
    Qt::MouseButton m_pressedButton = Qt::NoButton;
    // Events queued for the UI thread are dropped once it has gone.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
