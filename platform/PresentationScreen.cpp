#include "PresentationScreen.h"

namespace platform {

ScreenRect ChoosePresentationScreen(const std::vector<ScreenRect>& monitors)
{
    if (monitors.empty())
        return {};
    return monitors.size() >= 2 ? monitors.back() : monitors.front();
}

} // namespace platform
