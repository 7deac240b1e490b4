#pragma once
// The once-only tidy-up after a hidden start: a launcher-started program must not leave its
// settings window on screen, whatever showed it during start-up.

struct HousekeepingAction {
    bool hideWindow = false;
    bool clearFloatingLayer = false;
};

class CHiddenStartHousekeeping {
public:
    // One tick of the 5-second timer. Acts (at most once) when the window is visible and the
    // current page is not 4; a hidden start then hides the window unless a settings dialog is
    // open, and clears the floating layer.
    HousekeepingAction OnTimer(bool startedHidden, int currentPage, bool windowVisible, bool dialogOpen);
    bool IsDone() const { return m_bDone; }

private:
    bool m_bDone = false;
};
