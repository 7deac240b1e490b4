// The command pipe over a local socket, and the process list read from /proc.

#include "LocalCommandPipe.h"
#include "ProcProcessList.h"
#include "SingleInstanceLock.h"
#include "TempDir.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QLocalSocket>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;
using platform::ICommandPipe;
using platform::LocalCommandPipe;

namespace {

struct ClientSeen {
    std::string bytes;
    mode_t socketMode = 0;
    bool connected = false;
};

// Connects again and again until the server takes it, then reads to the end. A connection whose
// socket file was gone before it could be looked at (the server removes it right after writing)
// is read and tried again: `done` is set once one was seen whole.
ClientSeen RunClient(const std::string& path, const std::atomic<bool>& stop, std::atomic<bool>& done)
{
    QEventLoop dispatcherMaker;  // the socket's notifier wants one on this thread
    ClientSeen seen;
    while (!stop.load() && !done.load()) {
        QLocalSocket socket;
        socket.connectToServer(QString::fromStdString(path));
        if (!socket.waitForConnected(20)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        seen = ClientSeen{};
        seen.connected = true;
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0)
            seen.socketMode = st.st_mode;
        while (socket.state() == QLocalSocket::ConnectedState || socket.bytesAvailable() > 0) {
            if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(2000))
                break;
            seen.bytes += socket.readAll().toStdString();
        }
        if (seen.socketMode != 0)
            done = true;
    }
    return seen;
}

} // namespace

// The program has an application object; the server runs on a worker thread, as the mirror key does.
class CommandPipe : public ::testing::Test {
protected:
    int m_argc = 1;
    char m_name[5] = "test";
    char* m_argv[2] = {m_name, nullptr};
    QCoreApplication m_app{m_argc, m_argv};
};

TEST_F(CommandPipe, ClientWithinTheWaitGetsExactlyTheCommandAndTheSocketGoes)
{
    TempDir dir;
    ::chmod(dir.path().c_str(), 0700);
    const std::string path = dir.file("CommandPipe");
    // A socket file left by a crashed server does not stop the next one.
    WriteWholeFile(path, "stale");
    LocalCommandPipe pipe(path);
    std::atomic<bool> stop{false}, done{false};
    ClientSeen seen;
    std::thread client([&] { seen = RunClient(path, stop, done); });
    ICommandPipe::Result result = ICommandPipe::Result::NoClient;
    std::string error;
    // The client polls for the socket; on a loaded machine it may miss one 100 ms window, or
    // find the socket file gone before it could look at it.
    std::thread server([&] {
        for (int attempt = 0; attempt < 50 && !done.load(); ++attempt) {
            const ICommandPipe::Result each = pipe.SendOnce(std::string("1", 2), 100, &error);
            if (result != ICommandPipe::Result::Sent)
                result = each;
        }
    });
    server.join();
    stop = true;
    client.join();
    ASSERT_EQ(result, ICommandPipe::Result::Sent) << error;
    EXPECT_EQ(seen.bytes, std::string("1\0", 2));
    EXPECT_TRUE(S_ISSOCK(seen.socketMode));
    EXPECT_EQ(seen.socketMode & 0077, 0u) << std::oct << seen.socketMode;
    EXPECT_FALSE(fs::exists(fs::symlink_status(path)));
}

TEST_F(CommandPipe, NoClientFailsAndLeavesNoSocket)
{
    TempDir dir;
    const std::string path = dir.file("CommandPipe");
    LocalCommandPipe pipe(path);
    std::string error;
    ICommandPipe::Result result = ICommandPipe::Result::Sent;
    std::thread([&] { result = pipe.SendOnce(std::string("1", 2), 100, &error); }).join();
    EXPECT_EQ(result, ICommandPipe::Result::NoClient);
    EXPECT_FALSE(fs::exists(fs::symlink_status(path)));
    // Nowhere to listen is a failure of its own, not a crash.
    LocalCommandPipe nowhere(dir.file("missing/folder/CommandPipe"));
    EXPECT_EQ(nowhere.SendOnce("x", 10, &error), ICommandPipe::Result::NoListen);
}

TEST_F(CommandPipe, DefaultPathIsInAPrivateFolderWithoutRuntimeDir)
{
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = old ? old : "";
    unsetenv("XDG_RUNTIME_DIR");
    const std::string path = LocalCommandPipe::DefaultPath();
    if (old)
        setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(fs::path(path).filename(), "CommandPipe");
    struct stat st {};
    ASSERT_EQ(::lstat(fs::path(path).parent_path().c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_uid, ::getuid());
    EXPECT_EQ(st.st_mode & 0077, 0u);
}

TEST(ProcProcessList, FindsAChildByItsPathCaseInsensitively)
{
    TempDir dir;
    const fs::path program = dir.path() / "MirrolaProbeChild";
    fs::copy_file("/bin/sleep", program);
    fs::permissions(program, fs::perms::owner_all);
    std::string exe = program.string();
    std::string seconds = "30";
    char* argv[] = {exe.data(), seconds.data(), nullptr};
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, exe.c_str(), nullptr, nullptr, argv, environ), 0);
    platform::ProcProcessList list;
    const bool found = list.IsProcessRunning("mirrolaPROBEchild");
    const bool absent = list.IsProcessRunning("NoSuchProgramAnywhere42");
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    EXPECT_TRUE(found);
    EXPECT_FALSE(absent);
    EXPECT_FALSE(list.IsProcessRunning(""));
}
