#pragma once
// The region the user drags over the frozen screen, in the picture's pixels: normalised whatever
// the drag direction, clipped to the picture, the whole picture when nothing was selected.

#include <QPoint>
#include <QRect>
#include <QSize>

class SnapshotSelection {
public:
    explicit SnapshotSelection(QSize picture) : m_picture(picture) {}

    // A press at `at`; the selection is replaced once the pointer moves away from it.
    void Begin(QPoint at);
    void Drag(QPoint to);
    void Clear() { m_dragging = false; m_rect = {}; }
    bool IsEmpty() const { return m_rect.isEmpty(); }
    // The dragged rectangle; empty before a drag of at least one pixel.
    QRect Rect() const { return m_rect; }
    // What a save writes.
    QRect SaveRect() const { return IsEmpty() ? QRect(QPoint(0, 0), m_picture) : m_rect; }

private:
    QSize m_picture;
    QPoint m_anchor;
    bool m_dragging = false;
    QRect m_rect;
};
