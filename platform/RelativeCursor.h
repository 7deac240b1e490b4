#pragma once
// The cursor where it can only be moved by relative motion (a Wayland desktop, which lets no
// client read or place the pointer): a move to a point is the motion from where the cursor is
// believed to be. That belief starts from the desktop's own view (on Wayland, XWayland's
// pointer, right whenever the pointer last crossed one of its windows), follows our own moves,
// and takes the desktop's view again whenever that changed since it was last looked at (the
// user moved the pointer over an X11 window). Hiding is the desktop view's. Portable: the motion
// goes to a callback. Callable from any thread.

#include "ICursor.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace platform {

class RelativeCursor final : public ICursor {
public:
    using Motion = std::function<void(int dx, int dy)>;
    RelativeCursor(Motion move, std::unique_ptr<ICursor> desktop);

    CursorPoint GetPos() const override;
    void SetPos(CursorPoint point) override;
    void Hide() override { m_desktop->Hide(); }
    void Show() override { m_desktop->Show(); }
    int HideCount() const override { return m_desktop->HideCount(); }

private:
    // The believed position, brought up to date with the desktop's view; under m_mutex.
    CursorPoint Believed() const;

    const Motion m_move;
    const std::unique_ptr<ICursor> m_desktop;
    mutable std::mutex m_mutex;
    mutable std::optional<CursorPoint> m_believed;     // guarded by m_mutex
    mutable std::optional<CursorPoint> m_desktopSeen;  // guarded by m_mutex
};

} // namespace platform
