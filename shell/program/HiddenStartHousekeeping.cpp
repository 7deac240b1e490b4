#include "HiddenStartHousekeeping.h"

namespace {
constexpr int kHelpPage = 4;
}

HousekeepingAction CHiddenStartHousekeeping::OnTimer(bool startedHidden, int currentPage, bool windowVisible,
                                                     bool dialogOpen)
{
    HousekeepingAction action;
    if (m_bDone || currentPage == kHelpPage || !windowVisible)
        return action;
    if (startedHidden) {
        action.hideWindow = !dialogOpen;
        action.clearFloatingLayer = true;
    }
    m_bDone = true;
    return action;
}
