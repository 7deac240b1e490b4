#include "ToolTipState.h"

#include "Clock.h"

#include <array>
#include <cstddef>

void CToolTipState::Set(int mode, uint32_t now)
{
    m_mode = mode;
    m_shownAt = now;
}

bool CToolTipState::HideDue(uint32_t now)
{
    if (m_mode == kToolTipHiddenMode || platform::TicksSince(m_shownAt, now) <= kToolTipShowMs)
        return false;
    m_mode = kToolTipHiddenMode;
    return true;
}

const char* FunctionNameKey(int functionId)
{
    static constexpr std::array<const char*, 6> kKeys = {"function_mouse",   "function_searchlight",
                                                         "function_laser",   "function_magnify",
                                                         "function_postil",  "function_sceenshot"};
    if (functionId < 1 || functionId > static_cast<int>(kKeys.size()))
        return nullptr;
    return kKeys[static_cast<std::size_t>(functionId - 1)];
}

const char* ColourNameKey(int colourMode)
{
    static constexpr std::array<const char*, 4> kKeys = {"fun_set_color_red", "fun_set_color_green",
                                                         "fun_set_color_blue", "fun_set_color_colors"};
    if (colourMode < 1 || colourMode > static_cast<int>(kKeys.size()))
        return nullptr;
    return kKeys[static_cast<std::size_t>(colourMode - 1)];
}

ToolTipPlacement ToolTipPlacementFor(const std::vector<platform::ScreenRect>& monitors, bool largeScreen)
{
    ToolTipPlacement placement;
    placement.scale = largeScreen ? 3 : 2;
    const int width = largeScreen ? 570 : 285;
    const int height = largeScreen ? 250 : 125;
    platform::ScreenRect screen;
    if (!monitors.empty())
        screen = monitors.size() >= 2 ? monitors.back() : monitors.front();
    placement.rect = {screen.x + screen.width - width, screen.y, width, height};
    return placement;
}
