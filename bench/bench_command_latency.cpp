// How long a desktop shortcut takes to bring the spotlight up: the real Orvelle under Xvfb with
// the virtual remote connected and a private session bus, and `Orvelle --command
// function=spotlight play` run as a shortcut would run it. The time is from starting that command
// to the X server mapping the spotlight's full-screen cover, seen by an X client of our own; the
// spotlight is stopped (and its cover unmapped) between rounds.
//
//   bench_command_latency [--compositor on|off] [--seconds N] [--bin DIR] [--keep]
//
// Exit status 0 when the program ran and was measured, 1 otherwise.

#include "ChildProcess.h"
#include "ProgramRun.h"

#include <X11/Xlib.h>
#include <poll.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;

struct Options : RunOptions {
    Options() { bin = ORVELLE_BIN_DIR; }
};

// Waits on the root window for an override-redirect window as wide as the screen to be mapped
// (`mapped`) or unmapped; false when none was within `limit`.
class CoverWatcher {
public:
    ~CoverWatcher()
    {
        if (m_display != nullptr)
            XCloseDisplay(m_display);
    }
    bool Open(const std::string& display)
    {
        m_display = XOpenDisplay(display.substr(display.find('=') + 1).c_str());
        if (m_display == nullptr)
            return false;
        XSelectInput(m_display, DefaultRootWindow(m_display), SubstructureNotifyMask);
        XSync(m_display, True);
        return true;
    }
    void Drain()
    {
        XSync(m_display, False);
        while (XPending(m_display) > 0) {
            XEvent event;
            XNextEvent(m_display, &event);
        }
    }
    bool Wait(bool mapped, std::chrono::milliseconds limit)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        pollfd fd{ConnectionNumber(m_display), POLLIN, 0};
        while (std::chrono::steady_clock::now() < end) {
            if (XPending(m_display) == 0) {
                poll(&fd, 1, 5);
                continue;
            }
            XEvent event;
            XNextEvent(m_display, &event);
            if (mapped && event.type == MapNotify && event.xmap.override_redirect && IsCover(event.xmap.window))
                return true;
            if (!mapped && event.type == UnmapNotify && IsCover(event.xunmap.window))
                return true;
        }
        return false;
    }

private:
    bool IsCover(Window window)
    {
        XWindowAttributes a{};
        return XGetWindowAttributes(m_display, window, &a) != 0 && a.width >= kScreenWidth && a.height >= kScreenHeight;
    }
    Display* m_display = nullptr;
};

int RunCommand(const fs::path& program, const std::vector<std::string>& commands, const std::vector<std::string>& env,
               int quiet)
{
    std::vector<std::string> args{program.string(), "--command"};
    args.insert(args.end(), commands.begin(), commands.end());
    const pid_t pid = Spawn(args, env, quiet);
    int status = 0;
    if (pid <= 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

double Percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p / 100.0 * static_cast<double>(v.size())))];
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const int used = TakeRunOption(argv[i], i + 1 < argc ? argv[i + 1] : "", &options);
        if (used == 0) {
            std::fprintf(stderr, "usage: bench_command_latency [--compositor on|off] [--seconds N] [--bin DIR] [--keep]\n");
            return 2;
        }
        i += used - 1;
    }
    std::string xvfb, xcompmgr;
    if (!FindDisplayTools("bench_command_latency", options.compositor, &xvfb, &xcompmgr) || Which("dbus-daemon").empty())
        return 1;
    const ProgramScratch run = PrepareProgramScratch("bench_command_latency", "orvelle-command-latency", options.bin);
    if (run.scratch.empty())
        return 1;
    const int quiet = open("/dev/null", O_WRONLY | O_CLOEXEC);
    std::vector<double> latencies;
    {
        Children children;
        const std::string display = StartXvfb(&children, xvfb, "1920x1080x24", quiet);
        if (display.empty()) {
            std::fprintf(stderr, "bench_command_latency: Xvfb did not start\n");
            return 1;
        }
        if (options.compositor) {
            children.Add(Spawn({xcompmgr}, CleanEnv({display}), quiet));
            std::this_thread::sleep_for(500ms);
        }
        const std::string bus = "DBUS_SESSION_BUS_ADDRESS=unix:path=" + (run.runtime / "bus").string();
        children.Add(Spawn({Which("dbus-daemon"), "--session", "--nofork", "--address=" + bus.substr(bus.find('=') + 1)},
                           CleanEnv({}), quiet));
        const std::string socket = (run.runtime / "remote.sock").string();
        std::ofstream(run.scratch / "remote.txt") << "report 0x03 0\nwait " << (options.seconds + 120) * 1000 << "\n";
        children.Add(Spawn({(options.bin / "orvelle-virtual-remote").string(), "--socket", socket, "--script",
                            (run.scratch / "remote.txt").string(), "--rate", "50", "--quiet"},
                           CleanEnv({display}), quiet));
        const std::vector<std::string> env =
            CleanEnv({display, bus, "XDG_RUNTIME_DIR=" + run.runtime.string(), "ORVELLE_VIRTUAL_RECEIVER=" + socket});
        children.Add(Spawn({(run.install / "Orvelle").string(), "hideWindows"}, env, quiet));
        CoverWatcher watcher;
        if (!watcher.Open(display)) {
            std::fprintf(stderr, "bench_command_latency: cannot open %s\n", display.c_str());
            return 1;
        }
        const fs::path program = run.install / "Orvelle";
        // Connected: the status line says so once the remote's first report is in.
        const std::string statusFile = (run.scratch / "status.txt").string();
        const bool connected = WaitFor([&] {
            const int out = open(statusFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const pid_t pid = Spawn({program.string(), "--command", "status"}, env, out);
            close(out);
            waitpid(pid, nullptr, 0);
            return ReadAll(statusFile).find("\"connected\":true") != std::string::npos;
        }, 60s, 200ms);
        if (!connected) {
            std::fprintf(stderr, "bench_command_latency: the program did not connect to the virtual remote\n");
            return 1;
        }
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(options.seconds);
        while (std::chrono::steady_clock::now() < end) {
            watcher.Drain();
            const auto start = std::chrono::steady_clock::now();
            if (RunCommand(program, {"function=spotlight", "play"}, env, quiet) != 0 || !watcher.Wait(true, 5s)) {
                std::fprintf(stderr, "bench_command_latency: the spotlight did not come up\n");
                return 1;
            }
            latencies.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
            if (RunCommand(program, {"stop"}, env, quiet) != 0 || !watcher.Wait(false, 5s)) {
                std::fprintf(stderr, "bench_command_latency: the spotlight did not go\n");
                return 1;
            }
        }
    }
    close(quiet);
    if (!options.keep) {
        std::error_code ec;
        fs::remove_all(run.scratch, ec);
    }
    std::printf("command to spotlight cover mapped (compositor %s): %zu rounds, p50 %.1f ms, p90 %.1f ms, max %.1f ms\n",
                options.compositor ? "on" : "off", latencies.size(), Percentile(latencies, 50), Percentile(latencies, 90),
                Percentile(latencies, 100));
    return latencies.empty() ? 1 : 0;
}
