#include "TrayHostProbe.h"

#include <QSystemTrayIcon>

#ifdef ORVELLE_HAVE_QTDBUS
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#endif

namespace {

enum class SniHost { NoWatcher, WatcherOnly, Registered };

SniHost QueryStatusNotifierHost()
{
#ifdef ORVELLE_HAVE_QTDBUS
    const QString service = QStringLiteral("org.kde.StatusNotifierWatcher");
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || bus.interface() == nullptr || !bus.interface()->isServiceRegistered(service).value())
        return SniHost::NoWatcher;
    QDBusMessage get = QDBusMessage::createMethodCall(service, QStringLiteral("/StatusNotifierWatcher"),
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << service << QStringLiteral("IsStatusNotifierHostRegistered");
    // A short wait: this runs on the UI thread once a second until a tray appears.
    const QDBusReply<QDBusVariant> reply = bus.call(get, QDBus::Block, 250);
    if (reply.isValid() && reply.value().variant().toBool())
        return SniHost::Registered;
    return SniHost::WatcherOnly;
#else
    return SniHost::NoWatcher;
#endif
}

} // namespace

CTrayHostProbe::State CTrayHostProbe::Probe()
{
    const SniHost sni = QueryStatusNotifierHost();
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
