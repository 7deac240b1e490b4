#include "MutterScreenCapture.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QEventLoop>
#include <QObject>
#include <QPoint>
#include <QTimer>

#include <algorithm>
#include <climits>
#include <map>
#include <thread>
#include <vector>

namespace platform {

namespace {

const QString kService = QStringLiteral("org.gnome.Mutter.ScreenCast");
const QString kCastInterface = QStringLiteral("org.gnome.Mutter.ScreenCast");
const QString kSessionInterface = QStringLiteral("org.gnome.Mutter.ScreenCast.Session");
const QString kStreamInterface = QStringLiteral("org.gnome.Mutter.ScreenCast.Stream");
constexpr int kCallLimitMs = 2000;
constexpr int kStreamLimitMs = 2000;
constexpr int kFrameLimitMs = 2000;
constexpr uint32_t kCursorHidden = 0;

QDBusMessage Call(const QDBusConnection& bus, const QString& path, const QString& interface, const QString& method,
                  const QList<QVariant>& arguments = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(kService, path, interface, method);
    message.setArguments(arguments);
    return bus.call(message, QDBus::Block, kCallLimitMs);
}

// The connectors of the monitors the compositor drives, from its display configuration.
std::vector<QString> MonitorConnectors(const QDBusConnection& bus)
{
    QDBusMessage message = QDBusMessage::createMethodCall(
        QStringLiteral("org.gnome.Mutter.DisplayConfig"), QStringLiteral("/org/gnome/Mutter/DisplayConfig"),
        QStringLiteral("org.gnome.Mutter.DisplayConfig"), QStringLiteral("GetCurrentState"));
    const QDBusMessage reply = bus.call(message, QDBus::Block, kCallLimitMs);
    std::vector<QString> connectors;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() < 2)
        return connectors;
    // a((ssss)a(siiddada{sv})a{sv}): the first string of each monitor's (ssss) is its connector.
    const QDBusArgument monitors = reply.arguments().at(1).value<QDBusArgument>();
    monitors.beginArray();
    while (!monitors.atEnd()) {
        monitors.beginStructure();
        monitors.beginStructure();
        QString connector, vendor, product, serial;
        monitors >> connector >> vendor >> product >> serial;
        monitors.endStructure();
        (void)monitors.asVariant(); // modes
        (void)monitors.asVariant(); // properties
        monitors.endStructure();
        if (!connector.isEmpty())
            connectors.push_back(connector);
    }
    monitors.endArray();
    return connectors;
}

// The PipeWire node of each stream, as the service announces it once the cast starts.
class StreamNodes final : public QObject {
    Q_OBJECT
public:
    std::map<QString, uint32_t> nodes;
    QEventLoop* waiting = nullptr;
    size_t wanted = 0;

public Q_SLOTS:
    void OnStreamAdded(const QDBusMessage& message)
    {
        if (message.arguments().isEmpty())
            return;
        nodes[message.path()] = message.arguments().at(0).toUInt();
        if (waiting != nullptr && nodes.size() >= wanted)
            waiting->quit();
    }
};

// Where a stream's monitor lies on the desktop.
QPoint StreamPosition(const QDBusConnection& bus, const QString& stream)
{
    const QDBusMessage reply = Call(bus, stream, QStringLiteral("org.freedesktop.DBus.Properties"),
                                    QStringLiteral("Get"), {kStreamInterface, QStringLiteral("Parameters")});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    const QDBusArgument parameters =
        reply.arguments().at(0).value<QDBusVariant>().variant().value<QDBusArgument>();
    QVariantMap map;
    parameters >> map;
    const auto found = map.find(QStringLiteral("position"));
    if (found == map.end())
        return {};
    const QDBusArgument position = found->value<QDBusArgument>();
    int x = 0;
    int y = 0;
    position.beginStructure();
    position >> x >> y;
    position.endStructure();
    return {x, y};
}

struct MonitorPicture {
    QPoint position;
    PipeWirePicture picture;
};

} // namespace

MutterScreenCapture::MutterScreenCapture() = default;

MutterScreenCapture::~MutterScreenCapture() = default;

bool MutterScreenCapture::CaptureVirtualScreen(CapturedScreen& out)
{
    out = CapturedScreen{};
    std::lock_guard guard(m_lock);
    bool ok = false;
    std::thread worker([&] { ok = Capture(out); });
    worker.join();
    if (!ok)
        out = CapturedScreen{};
    return ok;
}

bool MutterScreenCapture::Capture(CapturedScreen& out)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    const std::vector<QString> connectors = MonitorConnectors(bus);
    if (connectors.empty())
        return false;
    const QDBusMessage created = Call(bus, QStringLiteral("/org/gnome/Mutter/ScreenCast"), kCastInterface,
                                      QStringLiteral("CreateSession"), {QVariantMap{}});
    if (created.type() != QDBusMessage::ReplyMessage || created.arguments().isEmpty())
        return false;
    const QString session = created.arguments().at(0).value<QDBusObjectPath>().path();

    StreamNodes nodes;
    std::vector<QString> streams;
    for (const QString& connector : connectors) {
        const QVariantMap properties{{QStringLiteral("cursor-mode"), QVariant::fromValue(kCursorHidden)}};
        const QDBusMessage recorded =
            Call(bus, session, kSessionInterface, QStringLiteral("RecordMonitor"), {connector, properties});
        if (recorded.type() != QDBusMessage::ReplyMessage || recorded.arguments().isEmpty())
            continue;
        const QString stream = recorded.arguments().at(0).value<QDBusObjectPath>().path();
        bus.connect(kService, stream, kStreamInterface, QStringLiteral("PipeWireStreamAdded"), &nodes,
                    SLOT(OnStreamAdded(QDBusMessage)));
        streams.push_back(stream);
    }

    std::vector<MonitorPicture> pictures;
    if (!streams.empty() &&
        Call(bus, session, kSessionInterface, QStringLiteral("Start")).type() == QDBusMessage::ReplyMessage) {
        QEventLoop loop;
        nodes.waiting = &loop;
        nodes.wanted = streams.size();
        QTimer::singleShot(kStreamLimitMs, &loop, &QEventLoop::quit);
        if (nodes.nodes.size() < streams.size())
            loop.exec();
        nodes.waiting = nullptr;
        for (const QString& stream : streams) {
            const auto node = nodes.nodes.find(stream);
            MonitorPicture picture;
            if (node == nodes.nodes.end() || !m_frame.Read(node->second, kFrameLimitMs, picture.picture)) {
                pictures.clear();
                break;
            }
            picture.position = StreamPosition(bus, stream);
            pictures.push_back(std::move(picture));
        }
    }
    Call(bus, session, kSessionInterface, QStringLiteral("Stop"));
    for (const QString& stream : streams)
        bus.disconnect(kService, stream, kStreamInterface, QStringLiteral("PipeWireStreamAdded"), &nodes,
                       SLOT(OnStreamAdded(QDBusMessage)));
    if (pictures.empty())
        return false;

    // The monitors side by side as the desktop places them; what none covers stays black.
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    for (const MonitorPicture& p : pictures) {
        left = std::min(left, p.position.x());
        top = std::min(top, p.position.y());
        right = std::max(right, p.position.x() + p.picture.width);
        bottom = std::max(bottom, p.position.y() + p.picture.height);
    }
    out.originX = left;
    out.originY = top;
    out.width = right - left;
    out.height = bottom - top;
    if (pictures.size() == 1) {
        out.pixels = std::move(pictures.front().picture.pixels);
        return true;
    }
    out.pixels = std::make_unique<uint32_t[]>(static_cast<size_t>(out.width) * out.height);
    std::fill_n(out.pixels.get(), static_cast<size_t>(out.width) * out.height, 0xFF000000u);
    for (const MonitorPicture& p : pictures) {
        for (int y = 0; y < p.picture.height; ++y)
            std::copy_n(p.picture.pixels.get() + static_cast<size_t>(y) * p.picture.width, p.picture.width,
                        out.pixels.get() + static_cast<size_t>(p.position.y() - top + y) * out.width +
                            (p.position.x() - left));
    }
    return true;
}

} // namespace platform

#include "MutterScreenCapture.moc"
