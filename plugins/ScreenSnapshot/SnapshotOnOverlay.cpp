#include "SnapshotOnOverlay.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDateTime>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleHints>
#include <QWidget>

#include <algorithm>
#include <functional>

namespace {

// Runs `task` on the UI thread unless its surface has gone by then.
void OnUiThread(const std::weak_ptr<bool>& alive, std::function<void()> task)
{
    QMetaObject::invokeMethod(
        qApp,
        [alive, task = std::move(task)] {
            if (alive.lock())
                task();
        },
        Qt::QueuedConnection);
}

} // namespace

SnapshotOnOverlay::SnapshotOnOverlay(QWidget* window) : QObject(window), m_window(window) {}

SnapshotOnOverlay::~SnapshotOnOverlay() = default;

SnapshotOnOverlay* SnapshotOnOverlay::Show(platform::IOverlaySurfaces& overlays, const platform::ScreenRect& screen,
                                           QWidget* window)
{
    auto* shown = new SnapshotOnOverlay(window);
    const std::weak_ptr<bool> alive = shown->m_alive;
    platform::OverlayPlacement placement;
    placement.anchor = platform::OverlayPlacement::Anchor::Cover;
    placement.takesKeys = true;
    // The surface's events come on the overlay's thread; the window lives on this one.
    placement.onKey = [alive, shown](int key) { OnUiThread(alive, [shown, key] { shown->DeliverKey(key); }); };
    placement.onPointer = [alive, shown](const platform::OverlayPointerEvent& event) {
        OnUiThread(alive, [shown, event] { shown->DeliverPointer(event); });
    };
    // The pointer looks as it would over the window itself.
    placement.cursor = window->cursor().shape();
    // The picture is frozen already: nothing waits for this surface to go.
    placement.blocksCapture = false;
    shown->m_surface = overlays.Create(screen, placement);
    if (!shown->m_surface || shown->m_surface->Size().isEmpty()) {
        delete shown;
        return nullptr;
    }
    shown->Repaint();
    return shown;
}

void SnapshotOnOverlay::Repaint()
{
    if (!m_surface || m_window->width() <= 0 || m_window->height() <= 0)
        return;
    const QSize size = m_surface->Size();
    QWidget* window = m_window;
    m_surface->Paint(QRegion(QRect(QPoint(0, 0), size)), [window, size](QPainter& painter) {
        painter.scale(double(size.width()) / window->width(), double(size.height()) / window->height());
        window->render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    });
}

void SnapshotOnOverlay::DeliverPointer(const platform::OverlayPointerEvent& event)
{
    using Kind = platform::OverlayPointerEvent::Kind;
    const QSize size = m_surface ? m_surface->Size() : m_window->size();
    const QPointF local(event.at.x() * m_window->width() / std::max(1, size.width()),
                        event.at.y() * m_window->height() / std::max(1, size.height()));
    const QPointF global = local + QPointF(m_window->pos());
    QEvent::Type type = QEvent::MouseMove;
    if (event.kind == Kind::Press) {
        m_held |= event.button;
        type = QEvent::MouseButtonPress;
    } else if (event.kind == Kind::Release) {
        m_held &= ~event.button;
        type = QEvent::MouseButtonRelease;
    }
    const QPointer<QWidget> window = m_window;
    const std::weak_ptr<bool> alive = m_alive;
    QMouseEvent mouse(type, local, global, event.kind == Kind::Motion ? Qt::NoButton : event.button, m_held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(m_window, &mouse);
    if (!alive.lock() || !window)
        return;
    if (event.kind == Kind::Press) {
        // A second press of the same button soon after and near the first is a double click, as
        // the window system would say.
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        const bool twice = event.button == m_pressedButton && m_pressedAtMs >= 0 &&
                           now - m_pressedAtMs <= QGuiApplication::styleHints()->mouseDoubleClickInterval() &&
                           (local - m_pressedAt).manhattanLength() <= QGuiApplication::styleHints()->startDragDistance();
        m_pressedAtMs = twice ? -1 : now;
        m_pressedAt = local;
        m_pressedButton = event.button;
        if (twice) {
            QMouseEvent doubled(QEvent::MouseButtonDblClick, local, global, event.button, m_held, Qt::NoModifier);
            QCoreApplication::sendEvent(m_window, &doubled);
            if (!alive.lock() || !window)
                return;
        }
    }
    Repaint();
}

void SnapshotOnOverlay::DeliverKey(int key)
{
    if (key == Qt::Key_unknown)
        return;
    const QPointer<QWidget> window = m_window;
    const std::weak_ptr<bool> alive = m_alive;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(m_window, &press);
    if (alive.lock() && window)
        Repaint();
}
