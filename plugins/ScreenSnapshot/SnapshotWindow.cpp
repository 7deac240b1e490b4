#include "SnapshotWindow.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

SnapshotWindow::SnapshotWindow(QImage frozen, std::function<void(const QImage&)> done)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool),
      m_frozen(std::move(frozen)),
      m_selection(m_frozen.size()),
      m_done(std::move(done))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setCursor(Qt::CrossCursor);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
}

QPoint SnapshotWindow::ToPicture(QPointF at) const
{
    if (width() <= 0 || height() <= 0)
        return {};
    return QPoint(qRound(at.x() * m_frozen.width() / width()), qRound(at.y() * m_frozen.height() / height()));
}

void SnapshotWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRectF target(rect());
    painter.drawImage(target, m_frozen);
    if (m_selection.IsEmpty())
        return;
    const QRect picked = m_selection.Rect();
    const double sx = double(width()) / m_frozen.width();
    const double sy = double(height()) / m_frozen.height();
    const QRectF shown(picked.x() * sx, picked.y() * sy, picked.width() * sx, picked.height() * sy);
    // Dim what stays outside, so the selection reads at a glance.
    QPainterPath outside;
    outside.addRect(target);
    QPainterPath inside;
    inside.addRect(shown);
    painter.fillPath(outside.subtracted(inside), QColor(0, 0, 0, 110));
    painter.setPen(QPen(QColor(0, 160, 255), 1));
    painter.drawRect(shown);
    const QString size = QStringLiteral("%1 x %2").arg(picked.width()).arg(picked.height());
    const QPointF label = shown.top() > 20 ? shown.topLeft() + QPointF(0, -6) : shown.topLeft() + QPointF(4, 16);
    painter.setPen(Qt::white);
    painter.drawText(label, size);
}

void SnapshotWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        Finish(false);
    } else if (event->button() == Qt::LeftButton) {
        m_selection.Begin(ToPicture(event->position()));
        update();
    }
}

void SnapshotWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton) {
        m_selection.Drag(ToPicture(event->position()));
        update();
    }
}

void SnapshotWindow::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        Finish(true);
}

void SnapshotWindow::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Finish(true);
        break;
    case Qt::Key_Escape:
        Finish(false);
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void SnapshotWindow::Finish(bool save)
{
    if (!m_done)
        return;
    auto done = std::move(m_done);
    m_done = nullptr;
    hide();
    done(save ? m_frozen.copy(m_selection.SaveRect()) : QImage());
    close();
}
