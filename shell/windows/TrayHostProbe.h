#pragma once
// Whether the desktop can take a tray icon now, asked without spoiling Qt's choice of tray.
//
// Qt decides once per process between a StatusNotifierItem tray (over D-Bus) and the older
// XEmbed tray, the first time a tray icon is created or its availability is asked, and keeps
// that choice. A program started before the desktop's panel would lock itself into XEmbed and
// never show an icon on a desktop that only hosts StatusNotifierItems. So while a
// StatusNotifierWatcher is on the session bus without a host yet, Qt is not asked at all.

#include <string>

class CTrayHostProbe {
public:
    enum class State {
        Ready,          // Qt can show an icon now
        WaitingForHost, // a watcher exists, its host has not registered yet
        NoTray,         // nothing that takes icons
        LockedOut,      // a StatusNotifierItem host exists, but Qt already chose XEmbed
    };

    State Probe();
    static const char* StateName(State state);

private:
    bool m_bQtAsked = false;
    bool m_bQtChoseDBus = false;
};
