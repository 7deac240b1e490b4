#include "StatusNotifierHost.h"

#ifdef ORVELLE_HAVE_QTDBUS
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#endif

namespace platform {

StatusNotifierHost QueryStatusNotifierHost()
{
#ifdef ORVELLE_HAVE_QTDBUS
    const QString service = QStringLiteral("org.kde.StatusNotifierWatcher");
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || bus.interface() == nullptr || !bus.interface()->isServiceRegistered(service).value())
        return StatusNotifierHost::NoWatcher;
    QDBusMessage get = QDBusMessage::createMethodCall(service, QStringLiteral("/StatusNotifierWatcher"),
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << service << QStringLiteral("IsStatusNotifierHostRegistered");
    const QDBusReply<QDBusVariant> reply = bus.call(get, QDBus::Block, 250);
    if (reply.isValid() && reply.value().variant().toBool())
        return StatusNotifierHost::Registered;
    return StatusNotifierHost::WatcherOnly;
#else
    return StatusNotifierHost::NoWatcher;
#endif
}

} // namespace platform
