#pragma once
// The frozen picture on a Wayland compositor that copies its outputs for clients
// (zwlr_screencopy_manager_v1: sway and other wlroots compositors). Each output is copied into a
// shared-memory buffer and placed at its logical position, the coordinates XWayland's windows
// use, so the picture lines up with the effects drawn there.

#include "IScreenCapture.h"

#include <memory>

namespace platform {

class WlrScreenCapture final : public IScreenCapture {
public:
    // Connects on the first capture to `display` (null: WAYLAND_DISPLAY's), and again after the
    // connection broke.
    explicit WlrScreenCapture(const char* display = nullptr);
    ~WlrScreenCapture() override;
    WlrScreenCapture(const WlrScreenCapture&) = delete;
    WlrScreenCapture& operator=(const WlrScreenCapture&) = delete;

    bool CaptureVirtualScreen(CapturedScreen& out) override;

private:
    struct Connection;
    std::unique_ptr<Connection> m_connection;
};

} // namespace platform
