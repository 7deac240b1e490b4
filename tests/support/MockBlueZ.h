#pragma once
// A private D-Bus daemon standing in for the system bus, with mock_bluez.py on it. The daemon's
// address goes into DBUS_SYSTEM_BUS_ADDRESS of this process, so the BlueZ backend finds the mock.

#include "ChildProcess.h"
#include "TempDir.h"

#include <fcntl.h>

#include <cstdio>
#include <string>

class MockBlueZ {
public:
    // Whether the test-only tools are installed (scripts/test installs them).
    static std::string Missing()
    {
        if (Which("dbus-daemon").empty())
            return "dbus-daemon is not installed";
        if (Which("python3").empty() || std::system("/usr/bin/python3 -c 'import dbusmock' 2>/dev/null") != 0)
            return "python3-dbusmock is not installed (apt-get install python3-dbusmock)";
        return {};
    }

    // Starts the bus only: a system bus without BlueZ.
    bool StartBus()
    {
        const std::string socket = m_dir.file("system_bus");
        m_address = "unix:path=" + socket;
        m_daemon = Spawn({Which("dbus-daemon"), "--session", "--nofork", "--address=" + m_address}, InheritedEnv());
        if (m_daemon <= 0 || !WaitFor([&] { return std::filesystem::exists(socket); }))
            return false;
        setenv("DBUS_SYSTEM_BUS_ADDRESS", m_address.c_str(), 1);
        return true;
    }

    // Starts the bus and the mock with a connected remote called `name` and `others` more
    // devices, with mock_bluez.py's `options`; the remote's object path, or empty.
    std::string Start(const std::string& name, int others = 0, const std::vector<std::string>& options = {})
    {
        if (m_daemon <= 0 && !StartBus())
            return {};
        EndMock();
        int in[2], out[2];
        if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0)
            return {};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        const std::string script = std::string(ORVELLE_TESTS_SOURCE_DIR) + "/BLE/mock_bluez.py";
        std::vector<std::string> args = {"/usr/bin/python3", script, "--name", name, "--writes", WritesPath(),
                                         "--devices", std::to_string(others)};
        args.insert(args.end(), options.begin(), options.end());
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&m_mock, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            m_mock = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(in[0]);
        close(out[1]);
        m_commands = fdopen(in[1], "w");
        m_answers = fdopen(out[0], "r");
        const std::string ready = ReadLine();
        return ready.rfind("ready ", 0) == 0 ? ready.substr(6) : std::string();
    }

    // Sends one command and waits for its answer.
    bool Command(const std::string& command)
    {
        if (m_commands == nullptr)
            return false;
        std::fprintf(m_commands, "%s\n", command.c_str());
        std::fflush(m_commands);
        return ReadLine() == "ok";
    }

    std::string WritesPath() const { return m_dir.file("writes.txt"); }
    std::string Writes() const { return ReadWholeFile(WritesPath()); }

    // BlueZ leaves the bus, as when bluetoothd ends; Start brings it back.
    void EndMock()
    {
        // "quit" ends dbusmock's server as well, which a signal to the script would leave behind
        // holding BlueZ's name.
        if (m_commands != nullptr && m_mock > 0) {
            std::fprintf(m_commands, "quit\n");
            std::fflush(m_commands);
            if (WaitExit(m_mock, std::chrono::seconds(3)))
                m_mock = -1;
        }
        if (m_commands != nullptr)
            std::fclose(m_commands);
        if (m_answers != nullptr)
            std::fclose(m_answers);
        m_commands = m_answers = nullptr;
        Stop(m_mock);
        m_mock = -1;
    }

    ~MockBlueZ()
    {
        EndMock();
        Stop(m_daemon);
        unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    }

private:
    template <typename Pred>
    static bool WaitFor(Pred done)
    {
        for (int i = 0; i < 250; ++i) {
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
    std::string ReadLine()
    {
        char line[512] = {};
        if (m_answers == nullptr || std::fgets(line, sizeof line, m_answers) == nullptr)
            return {};
        std::string s(line);
        while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
            s.pop_back();
        return s;
    }

    TempDir m_dir;
    std::string m_address;
    pid_t m_daemon = -1;
    pid_t m_mock = -1;
    FILE* m_commands = nullptr;
    FILE* m_answers = nullptr;
};
