#pragma once
// The compositing manager on X11: by convention it owns the selection _NET_WM_CM_S<screen> of
// the screen it composites, for as long as it runs.

#include "ICompositor.h"
#include "X11Connection.h"

namespace platform {

class X11Compositor final : public ICompositor {
public:
    X11Compositor() = default;
    // One round trip to the server on the connection's own lock.
    bool IsRunning() override;

private:
    X11Connection m_connection;
    unsigned long m_atom = 0; // the selection's atom, interned on first use (guarded by the lock)
};

} // namespace platform
