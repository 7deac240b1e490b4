#pragma once
// Key events on GNOME through its compositor's remote desktop service on the session bus
// (org.gnome.Mutter.RemoteDesktop): the compositor types them on a virtual keyboard of its own,
// so they reach native Wayland programs, which XTest's keys never do. The remote desktop session
// is opened at the first key and kept for the keyboard's life (a new one again if the compositor
// dropped it). Keys are named by position.

#include "EvdevKeyboard.h"

#include <QString>

namespace platform {

class MutterRemoteKeyboard final : public EvdevKeyboard {
public:
    MutterRemoteKeyboard();
    // Releases every key still held, then closes the session.
    ~MutterRemoteKeyboard() override;
    MutterRemoteKeyboard(const MutterRemoteKeyboard&) = delete;
    MutterRemoteKeyboard& operator=(const MutterRemoteKeyboard&) = delete;

private:
    void Press(int code, bool down) override;
    // A started session, opened when there is none; false when the service refused.
    bool EnsureSession();
    void CloseSession();

    QString m_session; // the session's object path; empty while none is open
};

} // namespace platform
