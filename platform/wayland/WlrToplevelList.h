#pragma once
// The desktop's windows on a wlroots compositor, from its toplevel list
// (zwlr_foreign_toplevel_manager_v1): native and XWayland windows alike, each with its title,
// its app id (which stands for the X11 class: "libreoffice-impress", "org.kde.okular",
// "org.gnome.Evince"), whether it is full screen, and whether it is the active one. Activating a
// window asks the compositor to raise and focus it for our seat. The list gives no geometry:
// a window counts as full screen by its state alone.
//
// The list is kept on a connection of our own and brought up to date at each call (one round
// trip), so nothing runs between calls; a broken connection is made anew at the next one.
// Window handles are numbers of our own, never reused within a run.

#include "IForegroundWindow.h"
#include "IWindowList.h"

#include <memory>
#include <mutex>

namespace platform {

class WlrToplevelList final : public IWindowList, public IForegroundWindow {
public:
    // Connects at the first call to `display` (null: WAYLAND_DISPLAY's).
    explicit WlrToplevelList(const char* display = nullptr);
    ~WlrToplevelList() override;
    WlrToplevelList(const WlrToplevelList&) = delete;
    WlrToplevelList& operator=(const WlrToplevelList&) = delete;

    // In the order the compositor made them known, oldest first.
    std::vector<DesktopWindow> Windows() override;
    // The activated window.
    std::optional<DesktopWindow> Foreground() override;
    bool Activate(unsigned long handle) override;
    // Activates the activated window again, which gives it back the keyboard focus.
    bool GiveFocusBack() override;

private:
    struct Connection;
    // Up to date, connected, or false; under m_mutex.
    bool Refresh();

    std::mutex m_mutex;
    std::unique_ptr<Connection> m_connection;
};

} // namespace platform
