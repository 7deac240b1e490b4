#include "CaptionDrag.h"

bool CCaptionDrag::Press(int clientY, DragPoint cursor, DragPoint windowPos)
{
    m_bDragging = clientY >= 0 && clientY < kCaptionHeight;
    if (m_bDragging) {
        m_cursorAtPress = cursor;
        m_windowAtPress = windowPos;
    }
    return m_bDragging;
}

std::optional<DragPoint> CCaptionDrag::Move(DragPoint cursor)
{
    if (!m_bDragging)
        return std::nullopt;
    DragPoint moved{m_windowAtPress.x + cursor.x - m_cursorAtPress.x, m_windowAtPress.y + cursor.y - m_cursorAtPress.y};
    // Later moves count from here, as the window rectangle is updated after every move.
    m_windowAtPress = moved;
    m_cursorAtPress = cursor;
    return moved;
}

bool CCaptionDrag::Release()
{
    const bool was = m_bDragging;
    m_bDragging = false;
    return was;
}
