#include "RelativeCursor.h"

namespace platform {

RelativeCursor::RelativeCursor(Motion move, std::unique_ptr<ICursor> desktop)
    : m_move(std::move(move)), m_desktop(std::move(desktop))
{
}

CursorPoint RelativeCursor::Believed() const
{
    const CursorPoint desktop = m_desktop->GetPos();
    if (!m_believed || desktop != *m_desktopSeen)
        m_believed = desktop;
    m_desktopSeen = desktop;
    return *m_believed;
}

CursorPoint RelativeCursor::GetPos() const
{
    std::lock_guard lock(m_mutex);
    return Believed();
}

void RelativeCursor::SetPos(CursorPoint point)
{
    std::lock_guard lock(m_mutex);
    const CursorPoint from = Believed();
    if (from != point)
        m_move(point.x - from.x, point.y - from.y);
    m_believed = point;
}

} // namespace platform
