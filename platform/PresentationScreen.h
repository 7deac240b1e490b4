#pragma once
// The presentation screen picked from a monitor list: the last display when two or more are
// connected, else display 0. Portable; reads the list each time, so it follows layout changes.

#include "IPresentationScreen.h"

namespace platform {

// Effects use doubled sizes and steps on a presentation screen wider than this.
constexpr int kLargeScreenWidth = 2700;

ScreenRect ChoosePresentationScreen(const std::vector<ScreenRect>& monitors);
inline bool IsLargeScreen(const ScreenRect& screen) { return screen.width > kLargeScreenWidth; }

class PresentationScreen final : public IPresentationScreen {
public:
    // `screens` must be callable from any thread and outlive this object.
    explicit PresentationScreen(const IScreens& screens) : m_screens(screens) {}
    ScreenRect Rect() const override { return ChoosePresentationScreen(m_screens.Monitors()); }

private:
    const IScreens& m_screens;
};

} // namespace platform
