#pragma once
// A private Xlib connection with its own lock, so the cursor and focus services can be used from
// any thread without touching Qt's connection. Opened on first use; null when there is no X
// server (every call then does nothing).

#include <mutex>

struct _XDisplay;

namespace platform {

class X11Connection {
public:
    X11Connection() = default;
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    // Locks the connection for one call sequence; Display() is valid while the lock is held.
    class Lock {
    public:
        explicit Lock(X11Connection& connection);
        _XDisplay* Display() const { return m_display; }
        explicit operator bool() const { return m_display != nullptr; }

    private:
        std::lock_guard<std::mutex> m_guard;
        _XDisplay* m_display;
    };

private:
    _XDisplay* OpenLocked();

    std::mutex m_mutex;
    _XDisplay* m_display = nullptr;
    bool m_tried = false;
};

} // namespace platform
