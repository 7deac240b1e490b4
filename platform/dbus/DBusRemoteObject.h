#pragma once
// The object behind "/org/orvelle/Orvelle": each method hands its request to the program and
// answers with its result or an error "org.orvelle.Orvelle.Error.Refused". The signals follow the
// program's state, which is looked at four times a second while a device is connected and once a
// second while none is.

#include "IRemoteControl.h"

#include <QDBusContext>
#include <QObject>
#include <QString>
#include <QTimer>

namespace platform {

inline constexpr const char* kRemoteService = "org.orvelle.Orvelle";
inline constexpr const char* kRemotePath = "/org/orvelle/Orvelle";
inline constexpr const char* kRemoteInterface = "org.orvelle.Orvelle";
inline constexpr const char* kRemoteRefused = "org.orvelle.Orvelle.Error.Refused";

class DBusRemoteObject : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.orvelle.Orvelle")

public:
    explicit DBusRemoteObject(IRemoteControl& remote);

public slots:
    void SelectFunction(const QString& name);
    void Play();
    void Stop();
    void Move(int dx, int dy);
    void ToggleBlankScreen();
    void ToggleSlideShow();
    void RunAction(const QString& name);
    void ShowSettings();
    void HideSettings();
    void Quit();
    // One line of JSON: connected, deviceType, link, function, shown, status.
    QString Status();
    QString GetSetting(const QString& section, const QString& key);
    void SetSetting(const QString& section, const QString& key, const QString& value);

signals:
    void ConnectionChanged(bool connected, const QString& deviceType, const QString& link);
    void FunctionChanged(const QString& function, bool shown);

private:
    void Answer(const RemoteError& error);
    void Follow();

    IRemoteControl& m_remote;
    RemoteState m_last;
    QTimer m_follow;
};

} // namespace platform
