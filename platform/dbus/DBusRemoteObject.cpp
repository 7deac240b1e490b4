#include "DBusRemoteObject.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace platform {

namespace {

constexpr int kFollowConnectedMs = 250;
constexpr int kFollowIdleMs = 1000;

QString Q(const std::string& text) { return QString::fromStdString(text); }

} // namespace

DBusRemoteObject::DBusRemoteObject(IRemoteControl& remote) : m_remote(remote), m_last(remote.State())
{
    connect(&m_follow, &QTimer::timeout, this, &DBusRemoteObject::Follow);
    m_follow.start(m_last.connected ? kFollowConnectedMs : kFollowIdleMs);
}

void DBusRemoteObject::Answer(const RemoteError& error)
{
    if (!error.empty() && calledFromDBus())
        sendErrorReply(kRemoteRefused, Q(error));
    // A command changes what shows; say so without waiting for the next look.
    QTimer::singleShot(0, this, &DBusRemoteObject::Follow);
}

void DBusRemoteObject::Follow()
{
    const RemoteState now = m_remote.State();
    if (now.connected != m_last.connected || now.deviceType != m_last.deviceType || now.link != m_last.link) {
        emit ConnectionChanged(now.connected, Q(now.deviceType), Q(now.link));
        m_follow.setInterval(now.connected ? kFollowConnectedMs : kFollowIdleMs);
    }
    if (now.function != m_last.function || now.shown != m_last.shown)
        emit FunctionChanged(Q(now.function), now.shown);
    m_last = now;
}

void DBusRemoteObject::SelectFunction(const QString& name) { Answer(m_remote.SelectFunction(name.toStdString())); }
void DBusRemoteObject::Play() { Answer(m_remote.Play()); }
void DBusRemoteObject::Stop() { Answer(m_remote.Stop()); }
void DBusRemoteObject::Move(int dx, int dy) { Answer(m_remote.Move(dx, dy)); }
void DBusRemoteObject::ToggleBlankScreen() { Answer(m_remote.ToggleBlankScreen()); }
void DBusRemoteObject::ToggleSlideShow() { Answer(m_remote.ToggleSlideShow()); }
void DBusRemoteObject::RunAction(const QString& name) { Answer(m_remote.RunAction(name.toStdString())); }
void DBusRemoteObject::ShowSettings() { Answer(m_remote.ShowSettings()); }
void DBusRemoteObject::HideSettings() { Answer(m_remote.HideSettings()); }
void DBusRemoteObject::Quit() { Answer(m_remote.Quit()); }

QString DBusRemoteObject::Status()
{
    const RemoteState state = m_remote.State();
    QJsonObject json;
    json["connected"] = state.connected;
    json["deviceType"] = Q(state.deviceType);
    json["link"] = Q(state.link);
    json["function"] = Q(state.function);
    json["shown"] = state.shown;
    json["status"] = Q(state.status);
    return QString::fromUtf8(QJsonDocument(json).toJson(QJsonDocument::Compact));
}

QString DBusRemoteObject::GetSetting(const QString& section, const QString& key)
{
    std::string value;
    Answer(m_remote.GetSetting(section.toStdString(), key.toStdString(), value));
    return Q(value);
}

void DBusRemoteObject::SetSetting(const QString& section, const QString& key, const QString& value)
{
    Answer(m_remote.SetSetting(section.toStdString(), key.toStdString(), value.toStdString()));
}

} // namespace platform
