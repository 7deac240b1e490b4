#include "SessionBusRemote.h"

#include "DBusRemoteObject.h"

#include <QDBusConnection>
#include <QDBusMessage>

namespace platform {

namespace {

class SessionBusService final : public IRemoteBusService {
public:
    explicit SessionBusService(IRemoteControl& remote) : m_object(remote) {}
    ~SessionBusService() override
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterObject(kRemotePath);
        bus.unregisterService(kRemoteService);
    }
    DBusRemoteObject m_object;
};

class SessionBusChannel final : public IRemoteChannel {
public:
    RemoteReply Call(const RemoteRequest& request) override
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected())
            return {RemoteReply::Kind::NoInstance, "no session bus: " + bus.lastError().message().toStdString()};
        QDBusMessage message =
            QDBusMessage::createMethodCall(kRemoteService, kRemotePath, kRemoteInterface, QString::fromStdString(request.method));
        QList<QVariant> args;
        for (const auto& arg : request.args) {
            if (const int* number = std::get_if<int>(&arg))
                args << *number;
            else
                args << QString::fromStdString(std::get<std::string>(arg));
        }
        message.setArguments(args);
        // Nothing the program does for a request takes long; a hung program is not waited for.
        const QDBusMessage reply = bus.call(message, QDBus::Block, kCallTimeoutMs);
        if (reply.type() == QDBusMessage::ReplyMessage) {
            const QList<QVariant> values = reply.arguments();
            return {RemoteReply::Kind::Done, values.isEmpty() ? std::string() : values.first().toString().toStdString()};
        }
        const std::string why = reply.errorMessage().toStdString();
        const QString name = reply.errorName();
        if (name == kRemoteRefused)
            return {RemoteReply::Kind::Refused, why};
        if (name == "org.freedesktop.DBus.Error.ServiceUnknown" || name == "org.freedesktop.DBus.Error.NameHasNoOwner")
            return {RemoteReply::Kind::NoInstance, why};
        return {RemoteReply::Kind::Failed, why};
    }

private:
    static constexpr int kCallTimeoutMs = 5000;
};

} // namespace

std::unique_ptr<IRemoteBusService> OfferRemoteOnSessionBus(IRemoteControl& remote, std::string& error)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        error = "no session bus: " + bus.lastError().message().toStdString();
        return nullptr;
    }
    auto service = std::make_unique<SessionBusService>(remote);
    if (!bus.registerObject(kRemotePath, &service->m_object,
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals)) {
        error = "the object " + std::string(kRemotePath) + " cannot be registered";
        return nullptr;
    }
    if (!bus.registerService(kRemoteService)) {
        error = "the name " + std::string(kRemoteService) + " is taken: " + bus.lastError().message().toStdString();
        bus.unregisterObject(kRemotePath);
        return nullptr;
    }
    return service;
}

std::unique_ptr<IRemoteChannel> SessionBusRemoteChannel() { return std::make_unique<SessionBusChannel>(); }

} // namespace platform
