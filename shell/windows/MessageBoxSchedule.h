#pragma once
// When the message box hides again, how its text is aligned and where it appears. Times are
// ticks of the process clock (milliseconds, 32-bit, wrapping).

#include "IScreens.h"

#include <cstdint>
#include <optional>
#include <vector>

class CMessageBoxSchedule {
public:
    static constexpr uint32_t kDefaultDurationMs = 2000;

    // A new show restarts the count, so a message shown twice stays up for the duration
    // counted from the second show.
    void Show(uint32_t durationMs, uint32_t now);
    // The elapsed milliseconds when the box is due to hide now (it then counts as hidden until
    // the next Show); nothing while it stays up or is already hidden.
    std::optional<uint32_t> HideDue(uint32_t now);
    bool IsShown() const { return m_bShown; }
    uint32_t GetDuration() const { return m_durationMs; }

private:
    bool m_bShown = false;
    uint32_t m_durationMs = kDefaultDurationMs;
    uint32_t m_shownAt = 0;
};

// Texts narrower than this many pixels in the window's default font are centred, wider ones
// start at the left so that wrapped lines read naturally.
constexpr int kMessageCentreLimitPx = 351;
// "center" or "left", the value of the label's "align" attribute.
const char* MessageAlignFor(int textWidthPx);

// The monitor that holds `cursor` (the first one when none does, a zero rectangle when there
// are none), and a box of `width` x `height` centred on it.
platform::ScreenRect MonitorUnder(const std::vector<platform::ScreenRect>& monitors, int cursorX, int cursorY);
platform::ScreenRect CentredOn(const platform::ScreenRect& monitor, int width, int height);
