#include "MutterRemoteKeyboard.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>

namespace platform {

namespace {

const QString kService = QStringLiteral("org.gnome.Mutter.RemoteDesktop");
const QString kSessionInterface = QStringLiteral("org.gnome.Mutter.RemoteDesktop.Session");
constexpr int kCallLimitMs = 1000;

QDBusMessage Call(const QString& path, const QString& interface, const QString& method,
                  const QList<QVariant>& arguments = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(kService, path, interface, method);
    message.setArguments(arguments);
    return QDBusConnection::sessionBus().call(message, QDBus::Block, kCallLimitMs);
}

bool Succeeded(const QDBusMessage& reply) { return reply.type() == QDBusMessage::ReplyMessage; }

} // namespace

MutterRemoteKeyboard::MutterRemoteKeyboard() = default;

MutterRemoteKeyboard::~MutterRemoteKeyboard()
{
    ReleaseAll();
    CloseSession();
}

bool MutterRemoteKeyboard::EnsureSession()
{
    if (!m_session.isEmpty())
        return true;
    const QDBusMessage created = Call(QStringLiteral("/org/gnome/Mutter/RemoteDesktop"), kService,
                                      QStringLiteral("CreateSession"));
    if (!Succeeded(created) || created.arguments().isEmpty())
        return false;
    const QString session = created.arguments().at(0).value<QDBusObjectPath>().path();
    if (!Succeeded(Call(session, kSessionInterface, QStringLiteral("Start")))) {
        Call(session, kSessionInterface, QStringLiteral("Stop"));
        return false;
    }
    m_session = session;
    return true;
}

void MutterRemoteKeyboard::CloseSession()
{
    if (m_session.isEmpty())
        return;
    Call(m_session, kSessionInterface, QStringLiteral("Stop"));
    m_session.clear();
}

void MutterRemoteKeyboard::Press(int code, bool down)
{
    const QList<QVariant> key{QVariant::fromValue(static_cast<uint32_t>(code)), down};
    // A session the compositor dropped (it restarted, say) is opened again once.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!EnsureSession())
            return;
        if (Succeeded(Call(m_session, kSessionInterface, QStringLiteral("NotifyKeyboardKeycode"), key)))
            return;
        m_session.clear();
    }
}

} // namespace platform
