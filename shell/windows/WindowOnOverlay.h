#pragma once
// A small window of the shell (the function tooltip, the message window) shown as a surface of
// the compositor's overlay layer where the session draws its effects there: above a native
// full-screen slide show, which a window of ours cannot be on such a desktop. The window itself
// stays hidden and only lends its picture. UI thread.

#include "IOverlaySurfaces.h"

#include <memory>

class QWidget;

class WindowOnOverlay {
public:
    // The session's overlay surfaces (null: none, the windows show themselves). Set once at start,
    // before any window is shown; they must outlive the windows.
    static void SetOverlays(platform::IOverlaySurfaces* overlays);
    static bool Available();

    // `who` names the window in the log line of each show.
    WindowOnOverlay(const char* who, platform::OverlayPlacement::Anchor anchor, bool blocksCapture)
        : m_who(who), m_anchor(anchor), m_blocksCapture(blocksCapture)
    {
    }

    // Shows what `window` draws at its anchor on `screen`, `margin` pixels in from the edges it is
    // anchored to; again after each change. False when there is no overlay layer to show it on.
    bool Show(QWidget& window, const platform::ScreenRect& screen, int margin = 0);
    void Hide() { m_surface.reset(); }
    bool IsShown() const { return m_surface != nullptr; }

private:
    const char* m_who;
    platform::OverlayPlacement::Anchor m_anchor;
    bool m_blocksCapture;
    std::unique_ptr<platform::IOverlaySurface> m_surface;
    platform::ScreenRect m_screen;
    int m_margin = 0;
};
