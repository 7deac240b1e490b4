#include "MessageBoxSchedule.h"

#include "Clock.h"

void CMessageBoxSchedule::Show(uint32_t durationMs, uint32_t now)
{
    m_durationMs = durationMs;
    m_shownAt = now;
    m_bShown = true;
}

std::optional<uint32_t> CMessageBoxSchedule::HideDue(uint32_t now)
{
    if (!m_bShown)
        return std::nullopt;
    const uint32_t elapsed = platform::TicksSince(m_shownAt, now);
    if (elapsed <= m_durationMs)
        return std::nullopt;
    m_bShown = false;
    return elapsed;
}

const char* MessageAlignFor(int textWidthPx) { return textWidthPx < kMessageCentreLimitPx ? "center" : "left"; }

platform::ScreenRect MonitorUnder(const std::vector<platform::ScreenRect>& monitors, int cursorX, int cursorY)
{
    for (const platform::ScreenRect& m : monitors) {
        if (cursorX >= m.x && cursorX < m.x + m.width && cursorY >= m.y && cursorY < m.y + m.height)
            return m;
    }
    return monitors.empty() ? platform::ScreenRect{} : monitors.front();
}

platform::ScreenRect CentredOn(const platform::ScreenRect& monitor, int width, int height)
{
    return {monitor.x + (monitor.width - width) / 2, monitor.y + (monitor.height - height) / 2, width, height};
}
