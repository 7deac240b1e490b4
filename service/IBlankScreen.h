#pragma once
// The blank-screen window as the custom actions drive it. Show, hide and the showing flag may be
// called from any thread (the window does its work on its own thread); Close on the thread
// that created it (Destroy).

#include "IScreens.h"

class IBlankScreen {
public:
    virtual ~IBlankScreen() = default;
    // Rolls the curtain down over `screen` with the configured colour or picture.
    virtual void ShowBlankScreen(platform::ScreenRect screen) = 0;
    // Rolls it up again; the cursor comes back.
    virtual void StartHide() = 0;
    virtual bool IsShowing() const = 0;
    virtual void Destroy() = 0;
};
