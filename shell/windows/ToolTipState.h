#pragma once
// The tooltip's mode and clock, and where it sits: the name of the function or pen colour just
// chosen stays for two seconds after the last change, at the top-right corner of the
// presentation screen.

#include "IScreens.h"

#include <cstdint>
#include <vector>

constexpr int kToolTipHiddenMode = -1;
constexpr uint32_t kToolTipShowMs = 2000;

class CToolTipState {
public:
    // Function (1..6) or colour (1..4) chosen now: the tooltip shows and its two seconds start.
    void Set(int mode, uint32_t now);
    // True once when more than two seconds have passed since the last Set; the mode is then
    // cleared.
    bool HideDue(uint32_t now);
    void Hide() { m_mode = kToolTipHiddenMode; }
    int GetMode() const { return m_mode; }

private:
    int m_mode = kToolTipHiddenMode;
    uint32_t m_shownAt = 0;
};

// Language keys: function names in section "funsel" (1 mouse .. 6 screenshot), pen colours in
// section "funset" (1 red .. 4 rainbow). nullptr outside those ranges.
const char* FunctionNameKey(int functionId);
const char* ColourNameKey(int colourMode);

struct ToolTipPlacement {
    platform::ScreenRect rect;
    int scale = 2;
};
// 285 x 125 at scale 2, or 570 x 250 at scale 3 on a large screen, at the top-right corner of
// the presentation monitor (the last of two or more, else the first).
ToolTipPlacement ToolTipPlacementFor(const std::vector<platform::ScreenRect>& monitors, bool largeScreen);
