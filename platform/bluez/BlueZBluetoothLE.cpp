// Bluetooth LE through BlueZ on the system bus: the object manager lists the devices
// (org.bluez.Device1), GATT services and characteristics are objects below each device
// (GattService1, GattCharacteristic1). Notifications come through a socket of our own where BlueZ
// offers AcquireNotify, else as PropertiesChanged of "Value" after our own StartNotify; a
// disconnection comes as PropertiesChanged of "Connected". Calls block the calling worker for at
// most their time-out; signals, notification reads and write completions run on one handler
// thread of our own.

#include "IBluetoothLE.h"

#include "Clock.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusUnixFileDescriptor>
#include <QDBusVariant>
#include <QFileInfo>
#include <QObject>
#include <QSocketNotifier>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <mutex>
#include <vector>

#include <sys/socket.h>
#include <unistd.h>

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
    const QMap<QDBusObjectPath, Interfaces> byPath = qdbus_cast<QMap<QDBusObjectPath, Interfaces>>(reply.arguments().at(0));
    for (auto it = byPath.begin(); it != byPath.end(); ++it)
        objects.insert(it.key().path(), it.value());
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

// Reads an acquired notification socket on the handler thread: one notification per read.
class BlueZNotifyReader final : public QObject {
    Q_OBJECT
public:
    BlueZNotifyReader(int fd, int mtu, std::shared_ptr<DeviceHandlers> handlers)
        : m_fd(fd), m_buffer(static_cast<size_t>(std::max(mtu, 23)) + 1), m_handlers(std::move(handlers))
    {
    }
    ~BlueZNotifyReader() override { ::close(m_fd); }

    // Runs on the handler thread, which then owns the notifier.
    void Start()
    {
        m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &BlueZNotifyReader::Read);
    }

private:
    void Read()
    {
        for (;;) {
            const ssize_t n = ::recv(m_fd, m_buffer.data(), m_buffer.size(), MSG_DONTWAIT);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return;
            if (n <= 0) {
                // BlueZ closed the session: the device went, its connection handler says so.
                m_notifier->setEnabled(false);
                return;
            }
            std::lock_guard guard(m_handlers->lock);
            if (m_handlers->value)
                m_handlers->value(m_buffer.data(), static_cast<size_t>(n));
        }
    }

    const int m_fd;
    std::vector<uint8_t> m_buffer;
    std::shared_ptr<DeviceHandlers> m_handlers;
    QSocketNotifier* m_notifier = nullptr;
};

// BlueZ's devices as its signals report them, so that a pass once a second reads a table instead
// of the whole object tree. Filled from GetManagedObjects, kept on the handler thread.
struct DeviceTable {
    std::mutex lock;
    bool valid = false;
    // Something about a device changed that the table does not follow (a connection whose
    // "Connected" change bluetoothd never signalled shows only that way): the next pass reads
    // the whole tree.
    bool dirty = false;
    // BlueZ is not on the bus: kept until its name gets an owner, so a missing BlueZ costs no call.
    bool absent = false;
    BleEnumeration absentResult;
    double filledMs = 0.0;
    std::map<std::string, BleDeviceEntry> devices;
    // The handlers of every open device, told when BlueZ goes away.
    std::vector<std::weak_ptr<DeviceHandlers>> open;
};

BleDeviceEntry EntryFrom(const QString& path, const QVariantMap& props)
{
    BleDeviceEntry entry;
    entry.id = path.toStdString();
    entry.nameKnown = props.contains(QStringLiteral("Name"));
    entry.name = props.value(QStringLiteral("Name")).toString().toStdString();
    entry.connected = props.value(QStringLiteral("Connected")).toBool();
    entry.paired = props.value(QStringLiteral("Paired")).toBool();
    return entry;
}

class BlueZDeviceWatch final : public QObject {
    Q_OBJECT
public:
    explicit BlueZDeviceWatch(std::shared_ptr<DeviceTable> table) : m_table(std::move(table)) {}

public Q_SLOTS:
    void InterfacesAdded(const QDBusMessage& message)
    {
        const QList<QVariant> args = message.arguments();
        if (args.size() < 2)
            return;
        const QString path = qdbus_cast<QDBusObjectPath>(args.at(0)).path();
        const Interfaces interfaces = qdbus_cast<Interfaces>(args.at(1));
        if (!interfaces.contains(kDevice)) {
            // GATT objects appear once a connected device's services are discovered.
            if (interfaces.contains(kGattService)) {
                std::lock_guard guard(m_table->lock);
                m_table->dirty = true;
            }
            return;
        }
        std::lock_guard guard(m_table->lock);
        m_table->devices[path.toStdString()] = EntryFrom(path, interfaces.value(kDevice));
    }
    void InterfacesRemoved(const QDBusMessage& message)
    {
        const QList<QVariant> args = message.arguments();
        if (args.size() < 2 || !qdbus_cast<QStringList>(args.at(1)).contains(kDevice))
            return;
        std::lock_guard guard(m_table->lock);
        m_table->devices.erase(qdbus_cast<QDBusObjectPath>(args.at(0)).path().toStdString());
    }
    void DeviceChanged(const QDBusMessage& message)
    {
        const QList<QVariant> args = message.arguments();
        if (args.size() < 2 || args.at(0).toString() != kDevice)
            return;
        const QVariantMap changed = qdbus_cast<QVariantMap>(args.at(1));
        std::lock_guard guard(m_table->lock);
        const auto it = m_table->devices.find(message.path().toStdString());
        if (it == m_table->devices.end())
            return;
        if (changed.contains(QStringLiteral("Name"))) {
            it->second.name = changed.value(QStringLiteral("Name")).toString().toStdString();
            it->second.nameKnown = true;
        }
        if (changed.contains(QStringLiteral("Connected")))
            it->second.connected = changed.value(QStringLiteral("Connected")).toBool();
        if (changed.contains(QStringLiteral("Paired")))
            it->second.paired = changed.value(QStringLiteral("Paired")).toBool();
        static const QStringList kFollowed = {QStringLiteral("Name"),          QStringLiteral("Connected"),
                                              QStringLiteral("Paired"),        QStringLiteral("RSSI"),
                                              QStringLiteral("TxPower"),       QStringLiteral("ManufacturerData"),
                                              QStringLiteral("ServiceData")};
        for (auto key = changed.keyBegin(); key != changed.keyEnd(); ++key) {
            if (!kFollowed.contains(*key))
                m_table->dirty = true;
        }
    }
    // BlueZ started, stopped or restarted: the table is read again, and when BlueZ went away
    // every open device lost its connection, whether or not a signal said so.
    void OwnerChanged(const QDBusMessage& message)
    {
        std::vector<std::shared_ptr<DeviceHandlers>> lost;
        {
            std::lock_guard guard(m_table->lock);
            m_table->valid = false;
            m_table->absent = false;
            const QList<QVariant> args = message.arguments();
            if (args.size() >= 2 && !args.at(1).toString().isEmpty()) {
                for (const std::weak_ptr<DeviceHandlers>& open : m_table->open) {
                    if (std::shared_ptr<DeviceHandlers> handlers = open.lock())
                        lost.push_back(std::move(handlers));
                }
            }
        }
        for (const std::shared_ptr<DeviceHandlers>& handlers : lost) {
            std::lock_guard guard(handlers->lock);
            if (handlers->connection)
                handlers->connection(false);
        }
    }

private:
    std::shared_ptr<DeviceTable> m_table;
};

namespace {

const char* kPropertiesChangedSlot = SLOT(PropertiesChanged(QString, QVariantMap, QStringList));

class BlueZDevice final : public IBleDevice {
public:
    BlueZDevice(QDBusConnection bus, QString path, QObject* handlerContext, const std::shared_ptr<DeviceTable>& table)
        : m_bus(std::move(bus)), m_path(std::move(path)), m_context(handlerContext),
          m_handlers(std::make_shared<DeviceHandlers>())
    {
        m_receiver = new BlueZSignalReceiver(m_handlers);
        m_receiver->moveToThread(handlerContext->thread());
        std::lock_guard guard(table->lock);
        std::erase_if(table->open, [](const std::weak_ptr<DeviceHandlers>& h) { return h.expired(); });
        table->open.push_back(m_handlers);
    }
    ~BlueZDevice() override { Close(); }

    bool IsConnected() override { return DeviceFlag(QStringLiteral("Connected")); }
    bool ServicesResolved() override { return DeviceFlag(QStringLiteral("ServicesResolved")); }

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
            m_acquireOffered = props.contains(QStringLiteral("NotifyAcquired"));
            return BleGattResult::Ok;
        }
        return BleGattResult::CharacteristicNotFound;
    }

    uint32_t CharacteristicProperties() override { return m_properties; }

    bool SetNotify(bool on, std::string& error) override
    {
        if (!on) {
            EndNotifySession(true);
            return true;
        }
        if (m_reader != nullptr || m_notifyStarted)
            return true;
        // Our own session whatever other clients hold: the Notifying property says only that
        // someone receives notifications. A socket where BlueZ offers one spares the bus daemon
        // a hop per notification.
        if (m_acquireOffered && AcquireNotify(error))
            return true;
        const QDBusMessage start =
            QDBusMessage::createMethodCall(kService, m_characteristic, kGattCharacteristic, QStringLiteral("StartNotify"));
        Subscribe(m_characteristic, m_valueSubscribed);
        const CallResult r = Call(m_bus, start, kCallTimeoutMs);
        if (r.status == BleCallStatus::Completed) {
            m_notifyStarted = true;
            return true;
        }
        error = r.message;
        return false;
    }

    void SetValueHandler(std::function<void(const uint8_t*, size_t)> handler) override
    {
        std::lock_guard guard(m_handlers->lock);
        m_handlers->value = std::move(handler);
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
        if (m_valueSubscribed)
            m_bus.disconnect(kService, m_characteristic, kProperties, QStringLiteral("PropertiesChanged"), m_receiver,
                             kPropertiesChangedSlot);
        // The remote stops sending once nobody listens; nobody waits for BlueZ to confirm it.
        EndNotifySession(false);
        m_receiver->deleteLater();
        m_receiver = nullptr;
    }

private:
    static constexpr int kCallTimeoutMs = 1000;

    bool DeviceFlag(const QString& name)
    {
        QDBusMessage get = QDBusMessage::createMethodCall(kService, m_path, kProperties, QStringLiteral("Get"));
        get << kDevice << name;
        const CallResult r = Call(m_bus, get, kCallTimeoutMs);
        return r.status == BleCallStatus::Completed && !r.reply.arguments().isEmpty() &&
               r.reply.arguments().at(0).value<QDBusVariant>().variant().toBool();
    }

    bool AcquireNotify(std::string& error)
    {
        QDBusMessage acquire = QDBusMessage::createMethodCall(kService, m_characteristic, kGattCharacteristic,
                                                              QStringLiteral("AcquireNotify"));
        acquire << QVariantMap();
        const CallResult r = Call(m_bus, acquire, kCallTimeoutMs);
        if (r.status != BleCallStatus::Completed || r.reply.arguments().size() < 2) {
            error = r.message;
            return false;
        }
        const QDBusUnixFileDescriptor socket = r.reply.arguments().at(0).value<QDBusUnixFileDescriptor>();
        const int fd = socket.isValid() ? ::dup(socket.fileDescriptor()) : -1;
        if (fd < 0) {
            error = "AcquireNotify gave no socket";
            return false;
        }
        const int mtu = r.reply.arguments().at(1).toInt();
        m_reader = new BlueZNotifyReader(fd, mtu, m_handlers);
        m_reader->moveToThread(m_context->thread());
        QMetaObject::invokeMethod(m_reader, [reader = m_reader] { reader->Start(); });
        return true;
    }

    // Ends our notification session: closing the acquired socket ends it at once; StopNotify is
    // waited for only when `wait` is set (never on the way out, which must not block).
    void EndNotifySession(bool wait)
    {
        if (m_reader != nullptr) {
            // Deleted on its own thread, after any read already queued there.
            QMetaObject::invokeMethod(m_reader, [reader = m_reader] { delete reader; });
            m_reader = nullptr;
        }
        if (!m_notifyStarted)
            return;
        m_notifyStarted = false;
        const QDBusMessage stop =
            QDBusMessage::createMethodCall(kService, m_characteristic, kGattCharacteristic, QStringLiteral("StopNotify"));
        if (wait)
            Call(m_bus, stop, kCallTimeoutMs);
        else
            m_bus.send(stop);
    }

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
    bool m_acquireOffered = false;
    BlueZNotifyReader* m_reader = nullptr;
    bool m_notifyStarted = false;
    bool m_deviceSubscribed = false;
    bool m_valueSubscribed = false;
};

class BlueZBluetoothLE final : public IBluetoothLE {
public:
    BlueZBluetoothLE()
    {
        m_thread.setObjectName(QStringLiteral("BLEHandlerThread"));
        m_watch->setParent(m_context);
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
            result.message = bus.lastError().isValid() ? ("no system bus: " + bus.lastError().message()).toStdString()
                                                       : std::string("no system bus");
            return result;
        }
        const double now = HighResMs();
        {
            std::lock_guard guard(m_table->lock);
            if (m_table->absent && now - m_table->filledMs < kFullReadMs)
                return m_table->absentResult;
            if (m_table->valid && !m_table->dirty && now - m_table->filledMs < kFullReadMs) {
                result.status = BleCallStatus::Completed;
                for (const auto& [path, entry] : m_table->devices)
                    result.devices.push_back(entry);
                return result;
            }
            // Changes signalled from here on are in this read, or make the next one.
            m_table->dirty = false;
        }
        QDBusMessage list = QDBusMessage::createMethodCall(kService, QStringLiteral("/"), kObjectManager,
                                                           QStringLiteral("GetManagedObjects"));
        const CallResult r = Call(bus, list, timeoutMs);
        result.status = r.status;
        result.code = r.code;
        result.message = r.message;
        if (r.status != BleCallStatus::Completed) {
            std::lock_guard guard(m_table->lock);
            m_table->dirty = true;
            if (r.code == static_cast<uint32_t>(QDBusError::ServiceUnknown) && m_watching) {
                m_table->absent = true;
                m_table->absentResult = result;
                m_table->filledMs = now;
            }
            return result;
        }
        const ManagedObjects objects = ReadManagedObjects(r.reply);
        std::map<std::string, BleDeviceEntry> devices;
        for (auto it = objects.begin(); it != objects.end(); ++it) {
            const auto device = it.value().find(kDevice);
            if (device == it.value().end())
                continue;
            BleDeviceEntry entry = EntryFrom(it.key(), *device);
            result.devices.push_back(entry);
            devices[entry.id] = std::move(entry);
        }
        std::lock_guard guard(m_table->lock);
        m_table->absent = false;
        m_table->devices = std::move(devices);
        m_table->valid = m_watching;
        m_table->filledMs = now;
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
        return std::make_unique<BlueZDevice>(bus, path, m_context, m_table);
    }

private:
    // A full read now and then as well, in case a signal was missed.
    static constexpr double kFullReadMs = 30000.0;

    bool Watch(QDBusConnection& bus)
    {
        const QString any;
        const QStringList device{kDevice};
        const QStringList bluez{kService};
        return bus.connect(kService, QStringLiteral("/"), kObjectManager, QStringLiteral("InterfacesAdded"), m_watch,
                           SLOT(InterfacesAdded(QDBusMessage))) &&
               bus.connect(kService, QStringLiteral("/"), kObjectManager, QStringLiteral("InterfacesRemoved"), m_watch,
                           SLOT(InterfacesRemoved(QDBusMessage))) &&
               bus.connect(kService, any, kProperties, QStringLiteral("PropertiesChanged"), device, QString(), m_watch,
                           SLOT(DeviceChanged(QDBusMessage))) &&
               bus.connect(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                           QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameOwnerChanged"), bluez, QString(),
                           m_watch, SLOT(OwnerChanged(QDBusMessage)));
    }

    // The connection, opened again when the bus was missing or went away.
    QDBusConnection Bus()
    {
        std::lock_guard guard(m_busLock);
        QDBusConnection bus(m_name);
        if (bus.isConnected())
            return bus;
        QDBusConnection::disconnectFromBus(m_name);
        {
            std::lock_guard table(m_table->lock);
            m_table->valid = false;
            m_table->absent = false;
        }
        m_watching = false;
        // The address is looked up on every try: the D-Bus library reads it only once per process.
        const char* env = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
        const QString address = env != nullptr && env[0] != '\0' ? QString::fromUtf8(env)
                                                                 : QStringLiteral("unix:path=/run/dbus/system_bus_socket");
        // No socket, no try: a missing bus then costs no wake-up of the D-Bus library's thread.
        const QString socketPrefix = QStringLiteral("unix:path=");
        if (address.startsWith(socketPrefix) && !address.contains(QLatin1Char(',')) &&
            !QFileInfo::exists(address.mid(socketPrefix.size())))
            return bus;
        bus = QDBusConnection::connectToBus(address, m_name);
        if (bus.isConnected())
            m_watching = Watch(bus);
        return bus;
    }

    const QString m_name = QStringLiteral("orvelle-bluez");
    std::mutex m_busLock;
    QThread m_thread;
    QObject* m_context = new QObject;
    std::shared_ptr<DeviceTable> m_table = std::make_shared<DeviceTable>();
    // Child of the context: lives on the handler thread and goes with it.
    BlueZDeviceWatch* m_watch = new BlueZDeviceWatch(m_table);
    // Read by FindAll outside the bus lock.
    std::atomic<bool> m_watching{false};
};

} // namespace

std::unique_ptr<IBluetoothLE> CreateBlueZBluetoothLE() { return std::make_unique<BlueZBluetoothLE>(); }

} // namespace platform

#include "BlueZBluetoothLE.moc"
