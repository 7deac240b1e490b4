#include "SnapshotSelection.h"

#include <algorithm>

void SnapshotSelection::Begin(QPoint at)
{
    // The selection stays until the pointer moves: the first click of a double click that
    // saves must not wipe what was dragged before.
    m_anchor = at;
    m_dragging = true;
}

void SnapshotSelection::Drag(QPoint to)
{
    if (!m_dragging || to == m_anchor)
        return;
    // Corners as pixel edges: a drag from (10, 10) to (410, 310) selects 400 x 300 pixels.
    const int left = std::min(m_anchor.x(), to.x());
    const int top = std::min(m_anchor.y(), to.y());
    const int right = std::max(m_anchor.x(), to.x());
    const int bottom = std::max(m_anchor.y(), to.y());
    m_rect = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)) & QRect(QPoint(0, 0), m_picture);
}
