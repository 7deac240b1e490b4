#include "SettingRanges.h"

#include "ConfigKeys.h"

#include <cstring>

bool IsAcceptedWebAddress(const std::string& text)
{
    for (const char c : text) {
        const bool alnum = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!alnum && std::strchr("-./?:@&=_+~#%", c) == nullptr)
            return false;
    }
    return true;
}

bool IsOfferedCustomAction(int action, int slot)
{
    // Both slots: none, blank screen and 5 (file manager) to 10 (display on top). The presenter
    // also has video, audio and scrolling (2 to 4); the mouse-type device slide show, mute and
    // play/pause (11 to 13) in their place.
    if (action == 0 || action == 1 || (action >= 5 && action <= 10))
        return true;
    if (slot == kSlotPresenter)
        return action >= 2 && action <= 4;
    return action >= 11 && action <= 13;
}
