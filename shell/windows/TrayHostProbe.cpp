#include "TrayHostProbe.h"

#include "StatusNotifierHost.h"

#include <QSystemTrayIcon>

namespace {

using SniHost = platform::StatusNotifierHost;

} // namespace

CTrayHostProbe::State CTrayHostProbe::Probe()
{
    const SniHost sni = platform::QueryStatusNotifierHost();
    if (sni == SniHost::WatcherOnly && !m_bQtAsked)
        return State::WaitingForHost;
    const bool firstAsk = !m_bQtAsked;
    m_bQtAsked = true;
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        if (firstAsk)
            m_bQtChoseDBus = sni == SniHost::Registered;
        return State::Ready;
    }
    if (firstAsk)
        m_bQtChoseDBus = sni == SniHost::Registered;
    if (sni == SniHost::Registered && !m_bQtChoseDBus)
        return State::LockedOut;
    return sni == SniHost::WatcherOnly ? State::WaitingForHost : State::NoTray;
}

const char* CTrayHostProbe::StateName(State state)
{
    switch (state) {
    case State::Ready:
        return "ready";
    case State::WaitingForHost:
        return "waiting for the StatusNotifierItem host";
    case State::NoTray:
        return "no system tray";
    case State::LockedOut:
        return "StatusNotifierItem host came after start; restart the program to use it";
    }
    return "";
}
