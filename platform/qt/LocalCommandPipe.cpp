#include "LocalCommandPipe.h"

#include "SingleInstanceLock.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QLocalServer>
#include <QLocalSocket>

#include <sys/stat.h>
#include <unistd.h>

#include <memory>

namespace platform {

namespace {

// The server's socket notifier wants an event dispatcher on its thread, even though only the
// blocking waits are used; a plain worker thread gets one here (it stays for the thread's life).
void EnsureEventDispatcher()
{
    if (QCoreApplication::instance() != nullptr && QAbstractEventDispatcher::instance() == nullptr)
        QEventLoop dispatcherMaker;
}

void SetError(std::string* error, const std::string& text)
{
    if (error != nullptr)
        *error = text;
}

} // namespace

std::string LocalCommandPipe::DefaultPath(std::string* error)
{
    const std::string folder = SingleInstanceLock::LockFolder(error);
    return folder.empty() ? std::string() : folder + "/" + kName;
}

ICommandPipe::Result LocalCommandPipe::SendOnce(const std::string& bytes, int timeoutMs, std::string* error)
{
    const std::string path = m_path.empty() ? DefaultPath(error) : m_path;
    if (path.empty())
        return Result::NoListen;
    const QString name = QString::fromStdString(path);
    // A server that crashed leaves its socket file behind; listen would fail on it.
    QLocalServer::removeServer(name);
    EnsureEventDispatcher();

    auto server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    server->setMaxPendingConnections(1);
    if (!server->listen(name)) {
        SetError(error, server->errorString().toStdString());
        return Result::NoListen;
    }
    // The socket must never be reachable by others, whatever the umask or Qt did.
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode) || st.st_uid != ::getuid() ||
        (st.st_mode & 0077) != 0) {
        server->close();
        SetError(error, path + " is not a private socket of this user");
        return Result::NoListen;
    }

    Result result = Result::NoClient;
    bool timedOut = false;
    if (server->waitForNewConnection(timeoutMs, &timedOut)) {
        std::unique_ptr<QLocalSocket> client(server->nextPendingConnection());
        if (client) {
            client->setParent(nullptr);
            const qint64 written = client->write(bytes.data(), static_cast<qint64>(bytes.size()));
            bool flushed = written == static_cast<qint64>(bytes.size());
            while (flushed && client->bytesToWrite() > 0)
                flushed = client->waitForBytesWritten(timeoutMs);
            result = flushed ? Result::Sent : Result::WriteFailed;
            if (!flushed)
                SetError(error, client->errorString().toStdString());
            client->disconnectFromServer();
        }
    } else {
        SetError(error, timedOut ? "no client connected" : server->errorString().toStdString());
    }
    // close() removes the socket file of a path-named server.
    server->close();
    return result;
}

} // namespace platform
