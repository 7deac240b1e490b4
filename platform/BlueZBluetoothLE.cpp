// Bluetooth LE through BlueZ on the system bus: the object manager lists the devices
// (org.bluez.Device1), GATT services and characteristics are objects below each device
// (GattService1, GattCharacteristic1), notifications arrive as PropertiesChanged of "Value" and
// a disconnection as PropertiesChanged of "Connected". Calls block the calling worker for at most
// their time-out; signals and write completions run on one handler thread of our own.

#include "IBluetoothLE.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QObject>
#include <QThread>

#include <atomic>
#include <cstdlib>
#include <mutex>

namespace platform {
namespace {

const QString kService = QStringLiteral("org.bluez");
const QString kDevice = QStringLiteral("org.bluez.Device1");
const QString kGattService = QStringLiteral("org.bluez.GattService1");
const QString kGattCharacteristic = QStringLiteral("org.bluez.GattCharacteristic1");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kObjectManager = QStringLiteral("org.freedesktop.DBus.ObjectManager");

using Interfaces = QMap<QString, QVariantMap>;
using ManagedObjects = QMap<QString, Interfaces>;

struct CallResult {
    BleCallStatus status = BleCallStatus::Error;
    uint32_t code = 0;
    std::string message;
    QDBusMessage reply;
};

CallResult Call(QDBusConnection& bus, const QDBusMessage& message, int timeoutMs)
{
    CallResult result;
    result.reply = bus.call(message, QDBus::Block, timeoutMs);
    if (result.reply.type() == QDBusMessage::ReplyMessage) {
        result.status = BleCallStatus::Completed;
        return result;
    }
    const QDBusError error(result.reply);
    result.status = error.type() == QDBusError::NoReply || error.type() == QDBusError::Timeout ? BleCallStatus::TimedOut
                                                                                                : BleCallStatus::Error;
    result.code = static_cast<uint32_t>(error.type());
    result.message = (error.name() + QStringLiteral(": ") + error.message()).toStdString();
    return result;
}

// a{oa{sa{sv}}} as returned by GetManagedObjects, keyed by path text.
ManagedObjects ReadManagedObjects(const QDBusMessage& reply)
{
    ManagedObjects objects;
    if (reply.arguments().isEmpty())
        return objects;
    const QDBusArgument arg = reply.arguments().at(0).value<QDBusArgument>();
    arg.beginMap();
    while (!arg.atEnd()) {
        QDBusObjectPath path;
        Interfaces interfaces;
        arg.beginMapEntry();
        arg >> path >> interfaces;
        arg.endMapEntry();
        objects.insert(path.path(), interfaces);
    }
    arg.endMap();
    return objects;
}

uint32_t PropertyBits(const QStringList& flags)
{
    static const std::pair<const char*, uint32_t> kBits[] = {
        {"broadcast", 0x01}, {"read", 0x02}, {"write-without-response", 0x04}, {"write", 0x08},
        {"notify", 0x10},    {"indicate", 0x20}};
    uint32_t bits = 0;
    for (const auto& [name, bit] : kBits) {
        if (flags.contains(QLatin1String(name)))
            bits |= bit;
    }
    return bits;
}

// Handlers of one device, shared with the receiver so that a signal queued before Close finds
// them gone instead of a freed device.
struct DeviceHandlers {
    std::mutex lock;
    std::function<void(bool)> connection;
    std::function<void(const uint8_t*, size_t)> value;
};

} // namespace

// Lives on the handler thread; D-Bus signals of one device land here.
class BlueZSignalReceiver final : public QObject {
    Q_OBJECT
public:
    explicit BlueZSignalReceiver(std::shared_ptr<DeviceHandlers> handlers) : m_handlers(std::move(handlers)) {}

public Q_SLOTS:
    void PropertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList& invalidated)
    {
        Q_UNUSED(invalidated);
        std::lock_guard guard(m_handlers->lock);
        if (interface == kDevice && changed.contains(QStringLiteral("Connected")) && m_handlers->connection)
            m_handlers->connection(changed.value(QStringLiteral("Connected")).toBool());
        if (interface == kGattCharacteristic && changed.contains(QStringLiteral("Value")) && m_handlers->value) {
            const QByteArray bytes = changed.value(QStringLiteral("Value")).toByteArray();
            m_handlers->value(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size()));
        }
    }

private:
    std::shared_ptr<DeviceHandlers> m_handlers;
};

namespace {

const char* kPropertiesChangedSlot = SLOT(PropertiesChanged(QString, QVariantMap, QStringList));

class BlueZDevice final : public IBleDevice {
public:
    BlueZDevice(QDBusConnection bus, QString path, QObject* handlerContext)
        : m_bus(std::move(bus)), m_path(std::move(path)), m_context(handlerContext),
          m_handlers(std::make_shared<DeviceHandlers>())
    {
        m_receiver = new BlueZSignalReceiver(m_handlers);
        m_receiver->moveToThread(handlerContext->thread());
    }
    ~BlueZDevice() override { Close(); }

    bool IsConnected() override
    {
        QDBusMessage get = QDBusMessage::createMethodCall(kService, m_path, kProperties, QStringLiteral("Get"));
        get << kDevice << QStringLiteral("Connected");
        const CallResult r = Call(m_bus, get, kCallTimeoutMs);
        return r.status == BleCallStatus::Completed && !r.reply.arguments().isEmpty() &&
               r.reply.arguments().at(0).value<QDBusVariant>().variant().toBool();
    }

    void SetConnectionHandler(std::function<void(bool)> handler) override
    {
        {
            std::lock_guard guard(m_handlers->lock);
            m_handlers->connection = std::move(handler);
        }
        Subscribe(m_path, m_deviceSubscribed);
    }

    BleGattResult OpenCharacteristic(const std::string& serviceUuid, const std::string& characteristicUuid,
                                     std::string& error) override
    {
        QDBusMessage list = QDBusMessage::createMethodCall(kService, QStringLiteral("/"), kObjectManager,
                                                           QStringLiteral("GetManagedObjects"));
        const CallResult r = Call(m_bus, list, kCallTimeoutMs);
        if (r.status != BleCallStatus::Completed) {
            error = r.message;
            return BleGattResult::Error;
        }
        const ManagedObjects objects = ReadManagedObjects(r.reply);
        const QString below = m_path + QLatin1Char('/');
        const auto uuidIs = [](const QVariantMap& props, const std::string& uuid) {
            return props.value(QStringLiteral("UUID")).toString().compare(QString::fromStdString(uuid),
                                                                          Qt::CaseInsensitive) == 0;
        };
        QString service;
        for (auto it = objects.begin(); it != objects.end() && service.isEmpty(); ++it) {
            if (it.key().startsWith(below) && it.value().contains(kGattService) && uuidIs(it.value()[kGattService], serviceUuid))
                service = it.key();
        }
        if (service.isEmpty())
            return BleGattResult::ServiceNotFound;
        for (auto it = objects.begin(); it != objects.end(); ++it) {
            const QVariantMap props = it.value().value(kGattCharacteristic);
            if (props.isEmpty() || props.value(QStringLiteral("Service")).value<QDBusObjectPath>().path() != service ||
                !uuidIs(props, characteristicUuid))
                continue;
            m_characteristic = it.key();
            m_properties = PropertyBits(props.value(QStringLiteral("Flags")).toStringList());
            return BleGattResult::Ok;
        }
        return BleGattResult::CharacteristicNotFound;
    }

    uint32_t CharacteristicProperties() override { return m_properties; }

    bool SetNotify(bool on, std::string& error) override
    {
        // BlueZ refuses StopNotify without a session and StartNotify twice from one client, so
        // the wanted state is compared first.
        QDBusMessage get = QDBusMessage::createMethodCall(kService, m_characteristic, kProperties, QStringLiteral("Get"));
        get << kGattCharacteristic << QStringLiteral("Notifying");
        const CallResult state = Call(m_bus, get, kCallTimeoutMs);
        if (state.status == BleCallStatus::Completed && !state.reply.arguments().isEmpty() &&
            state.reply.arguments().at(0).value<QDBusVariant>().variant().toBool() == on)
            return true;
        const QDBusMessage call = QDBusMessage::createMethodCall(
            kService, m_characteristic, kGattCharacteristic, on ? QStringLiteral("StartNotify") : QStringLiteral("StopNotify"));
        const CallResult r = Call(m_bus, call, kCallTimeoutMs);
        if (r.status == BleCallStatus::Completed)
            return true;
        error = r.message;
        return !on && state.status == BleCallStatus::Completed;
    }

    void SetValueHandler(std::function<void(const uint8_t*, size_t)> handler) override
    {
        {
            std::lock_guard guard(m_handlers->lock);
            m_handlers->value = std::move(handler);
        }
        Subscribe(m_characteristic, m_valueSubscribed);
    }

    void WriteValue(const uint8_t* data, size_t length, BleWriteDone done) override
    {
        QDBusMessage write = QDBusMessage::createMethodCall(kService, m_characteristic, kGattCharacteristic,
                                                            QStringLiteral("WriteValue"));
        write << QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(length))
              << QVariantMap{{QStringLiteral("type"), QStringLiteral("request")}};
        const QDBusPendingCall pending = m_bus.asyncCall(write, kCallTimeoutMs);
        // The watcher is made on the handler thread, which runs its completion.
        QMetaObject::invokeMethod(m_context, [pending, done = std::move(done)] {
            auto* watcher = new QDBusPendingCallWatcher(pending);
            QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [done](QDBusPendingCallWatcher* w) {
                const QDBusError error = w->error();
                if (!error.isValid())
                    done(BleCallStatus::Completed);
                else
                    done(error.type() == QDBusError::NoReply || error.type() == QDBusError::Timeout
                             ? BleCallStatus::TimedOut
                             : BleCallStatus::Error);
                w->deleteLater();
            });
        });
    }

    void Close() override
    {
        if (m_receiver == nullptr)
            return;
        {
            std::lock_guard guard(m_handlers->lock);
            m_handlers->connection = nullptr;
            m_handlers->value = nullptr;
        }
        if (m_deviceSubscribed)
            m_bus.disconnect(kService, m_path, kProperties, QStringLiteral("PropertiesChanged"), m_receiver,
                             kPropertiesChangedSlot);
        if (m_valueSubscribed) {
            m_bus.disconnect(kService, m_characteristic, kProperties, QStringLiteral("PropertiesChanged"), m_receiver,
                             kPropertiesChangedSlot);
            // The remote stops sending once nobody listens.
            std::string ignored;
            SetNotify(false, ignored);
        }
        m_receiver->deleteLater();
        m_receiver = nullptr;
    }

private:
    static constexpr int kCallTimeoutMs = 1000;

    void Subscribe(const QString& path, bool& subscribed)
    {
        if (subscribed || path.isEmpty())
            return;
        subscribed = m_bus.connect(kService, path, kProperties, QStringLiteral("PropertiesChanged"), m_receiver,
                                   kPropertiesChangedSlot);
    }

    QDBusConnection m_bus;
    const QString m_path;
    QObject* m_context;
    std::shared_ptr<DeviceHandlers> m_handlers;
    BlueZSignalReceiver* m_receiver = nullptr;
    QString m_characteristic;
    uint32_t m_properties = 0;
    bool m_deviceSubscribed = false;
    bool m_valueSubscribed = false;
};

class BlueZBluetoothLE final : public IBluetoothLE {
public:
    BlueZBluetoothLE()
    {
        m_thread.setObjectName(QStringLiteral("BLEHandlerThread"));
        m_context->moveToThread(&m_thread);
        m_thread.start();
    }
    ~BlueZBluetoothLE() override
    {
        // The context and the receivers still queued for deletion go with the thread's end.
        QMetaObject::invokeMethod(m_context, [context = m_context] {
            context->deleteLater();
            QThread::currentThread()->quit();
        });
        m_thread.wait();
        QDBusConnection::disconnectFromBus(m_name);
    }

    BleEnumeration FindAll(int timeoutMs) override
    {
        BleEnumeration result;
        QDBusConnection bus = Bus();
        if (!bus.isConnected()) {
            result.code = static_cast<uint32_t>(bus.lastError().type());
            result.message = ("no system bus: " + bus.lastError().message()).toStdString();
            return result;
        }
        QDBusMessage list = QDBusMessage::createMethodCall(kService, QStringLiteral("/"), kObjectManager,
                                                           QStringLiteral("GetManagedObjects"));
        const CallResult r = Call(bus, list, timeoutMs);
        result.status = r.status;
        result.code = r.code;
        result.message = r.message;
        if (r.status != BleCallStatus::Completed)
            return result;
        const ManagedObjects objects = ReadManagedObjects(r.reply);
        for (auto it = objects.begin(); it != objects.end(); ++it) {
            const auto device = it.value().find(kDevice);
            if (device == it.value().end())
                continue;
            BleDeviceEntry entry;
            entry.id = it.key().toStdString();
            entry.nameKnown = device->contains(QStringLiteral("Name"));
            entry.name = device->value(QStringLiteral("Name")).toString().toStdString();
            entry.connected = device->value(QStringLiteral("Connected")).toBool();
            result.devices.push_back(std::move(entry));
        }
        return result;
    }

    std::unique_ptr<IBleDevice> FromId(const std::string& id, int timeoutMs, std::string& error) override
    {
        QDBusConnection bus = Bus();
        const QString path = QString::fromStdString(id);
        if (!bus.isConnected() || !QDBusObjectPath(path).path().startsWith(QLatin1Char('/'))) {
            error = "no such device";
            return nullptr;
        }
        QDBusMessage get = QDBusMessage::createMethodCall(kService, path, kProperties, QStringLiteral("GetAll"));
        get << kDevice;
        const CallResult r = Call(bus, get, timeoutMs);
        if (r.status != BleCallStatus::Completed) {
            error = r.message;
            return nullptr;
        }
        return std::make_unique<BlueZDevice>(bus, path, m_context);
    }

private:
    // The connection, opened again when the bus was missing or went away.
    QDBusConnection Bus()
    {
        std::lock_guard guard(m_busLock);
        QDBusConnection bus(m_name);
        if (bus.isConnected())
            return bus;
        QDBusConnection::disconnectFromBus(m_name);
        // The address is looked up on every try: the D-Bus library reads it only once per process.
        const char* address = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
        return QDBusConnection::connectToBus(address != nullptr && address[0] != '\0'
                                                 ? QString::fromUtf8(address)
                                                 : QStringLiteral("unix:path=/run/dbus/system_bus_socket"),
                                             m_name);
    }

    const QString m_name = QStringLiteral("orvelle-bluez");
    std::mutex m_busLock;
    QThread m_thread;
    QObject* m_context = new QObject;
};

} // namespace

std::unique_ptr<IBluetoothLE> CreateBlueZBluetoothLE() { return std::make_unique<BlueZBluetoothLE>(); }

} // namespace platform

#include "BlueZBluetoothLE.moc"
