#pragma once
// The system cursor on X11: position through the core protocol, hiding through XFixes (which
// hides it over every window, not just ours, for as long as our connection lives).

#include "ICursor.h"
#include "X11Connection.h"

namespace platform {

class X11Cursor final : public ICursor {
public:
    X11Cursor() = default;
    ~X11Cursor() override;
    CursorPoint GetPos() const override;
    void SetPos(CursorPoint point) override;
    void Hide() override;
    void Show() override;
    int HideCount() const override;

private:
    mutable X11Connection m_connection;
    int m_hides = 0;  // guarded by the connection's lock
};

} // namespace platform
