// Idle cost of the running program: the real Orvelle, started hidden under Xvfb, with a virtual
// remote that is connected and reports once a second. Over the measuring window it reads the
// program's own threads from /proc (never this program's loops) and prints the share of one core
// and the voluntary context switches per second, in total and per thread name.
//
//   bench_idle [--seconds N] [--bin DIR] [--keep]
//   ORVELLE_IDLE_SECONDS=N      measuring window (default 60)
//   ORVELLE_IDLE_BIN_DIR=DIR    folder with Orvelle and orvelle-virtual-remote (default: this build)
//
// Exit status 0 when the program ran and was measured, 1 when it could not be started.

#include "ProcCpu.h"
#include "ProgramRun.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr double kTargetCpuPercent = 0.1;
constexpr double kTargetSwitchesPerSecond = 10.0;
constexpr auto kSettle = 3s;  // after the connection: start-up timers and the first sync run out

struct Options {
    int seconds = 60;
    fs::path bin = ORVELLE_BIN_DIR;
    bool keep = false;
};

bool ParseOptions(int argc, char** argv, Options* o)
{
    if (const char* s = std::getenv("ORVELLE_IDLE_SECONDS"); s && *s)
        o->seconds = std::atoi(s);
    if (const char* b = std::getenv("ORVELLE_IDLE_BIN_DIR"); b && *b)
        o->bin = b;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--seconds" && i + 1 < argc)
            o->seconds = std::atoi(argv[++i]);
        else if (a == "--bin" && i + 1 < argc)
            o->bin = argv[++i];
        else if (a == "--keep")
            o->keep = true;
        else
            return false;
    }
    return o->seconds > 0;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        std::fprintf(stderr, "usage: bench_idle [--seconds N] [--bin DIR] [--keep]\n");
        return 2;
    }
    const std::string xvfb = Which("Xvfb");
    if (xvfb.empty()) {
        std::fprintf(stderr, "bench_idle: Xvfb is not installed (apt-get install xvfb)\n");
        return 1;
    }
    const fs::path scratch = MakeScratchFolder("bench_idle", "orvelle-idle");
    if (scratch.empty())
        return 1;
    const fs::path install = scratch / "install";
    std::error_code ec;
    if (!CopyInstall(options.bin, install, ec)) {
        std::fprintf(stderr, "bench_idle: %s has no built Orvelle install folder (%s)\n", options.bin.c_str(),
                     ec.message().c_str());
        return 1;
    }
    fs::create_directories(scratch / "rt");
    fs::permissions(scratch / "rt", fs::perms::owner_all);
    const int quiet = open("/dev/null", O_WRONLY | O_CLOEXEC);

    int result = 1;
    {
        Children children;
        const std::string display = StartXvfb(&children, xvfb, "1920x1080x24", quiet);
        if (display.empty()) {
            std::fprintf(stderr, "bench_idle: Xvfb did not start\n");
            return 1;
        }
        if (const std::string trayer = Which("trayer"); !trayer.empty()) {
            children.Add(Spawn({trayer}, CleanEnv({display}), quiet));
            std::this_thread::sleep_for(500ms);
        }

        // A presenter that comes online and keeps reporting once a second, as a remote lying on
        // the desk does.
        const std::string socket = (scratch / "rt" / "remote.sock").string();
        const fs::path script = scratch / "remote.txt";
        std::ofstream(script) << "report 0x03 0\nwait 86400000\n";
        children.Add(Spawn({(options.bin / "orvelle-virtual-remote").string(), "--socket", socket, "--script",
                            script.string(), "--rate", "1", "--quiet", "--record", (scratch / "frames.txt").string()},
                           CleanEnv({display}), quiet));
        const pid_t pid = children.Add(Spawn({(install / "Orvelle").string(), "hideWindows"},
                                             CleanEnv({display, "XDG_RUNTIME_DIR=" + (scratch / "rt").string(),
                                                       "ORVELLE_VIRTUAL_RECEIVER=" + socket}),
                                             quiet));
        if (pid <= 0 || !WaitForLog(install / "log", "SynchDeviceParamters() presenter speed:", 30s, pid)) {
            std::fprintf(stderr, "bench_idle: Orvelle did not connect to the virtual remote (log in %s)\n",
                         (install / "log").c_str());
            options.keep = true;
        } else {
            std::this_thread::sleep_for(kSettle);
            const auto before = SampleProcess(pid);
            const auto t0 = std::chrono::steady_clock::now();
            std::this_thread::sleep_for(std::chrono::seconds(options.seconds));
            const auto after = SampleProcess(pid);
            const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
            const double tick = static_cast<double>(sysconf(_SC_CLK_TCK));

            // One row per thread, in the order the threads were created (thread ids grow), so that
            // the unnamed link threads can be told apart.
            struct Row {
                std::string name;
                int threads = 0;
                double cpuSeconds = 0;
                double runSeconds = 0;
                unsigned long long switches = 0;
            };
            std::map<int, Row> rows;
            Row total;
            int vanished = 0;
            for (const auto& [tid, end] : after) {
                const auto it = before.find(tid);
                const ThreadSample start = it != before.end() ? it->second : ThreadSample{};
                Row d;
                d.threads = 1;
                d.cpuSeconds = static_cast<double>(end.ticks - start.ticks) / tick;
                d.runSeconds = static_cast<double>(end.runNs - start.runNs) / 1e9;
                d.switches = end.voluntary - start.voluntary;
                Row& r = rows[tid];
                r.name = end.name;
                for (Row* into : {&r, &total}) {
                    into->threads += d.threads;
                    into->cpuSeconds += d.cpuSeconds;
                    into->runSeconds += d.runSeconds;
                    into->switches += d.switches;
                }
            }
            for (const auto& [tid, start] : before)
                vanished += after.count(tid) ? 0 : 1;

            std::printf("Orvelle hideWindows, virtual remote reporting once a second, %.1f s measured (%s)\n", elapsed,
                        options.bin.c_str());
            std::printf("%-18s %7s %12s %12s %12s\n", "thread", "tid", "switches/s", "cpu % (tick)", "cpu % (run)");
            for (const auto& [tid, r] : rows)
                std::printf("%-18s %7d %12.2f %12.3f %12.4f\n", r.name.c_str(), tid,
                            static_cast<double>(r.switches) / elapsed, 100.0 * r.cpuSeconds / elapsed,
                            100.0 * r.runSeconds / elapsed);
            const double cpu = 100.0 * total.cpuSeconds / elapsed;
            const double run = 100.0 * total.runSeconds / elapsed;
            const double switches = static_cast<double>(total.switches) / elapsed;
            std::printf("%-18s %7s %12.2f %12.3f %12.4f\n", "total", std::to_string(total.threads).c_str(), switches, cpu,
                        run);
            if (vanished > 0)
                std::printf("(%d threads ended during the window and are not counted)\n", vanished);
            std::printf("cpu_percent_of_one_core=%.4f voluntary_switches_per_second=%.2f\n", total.runSeconds > 0 ? run : cpu,
                        switches);
            std::printf("targets: cpu <= %.1f %% %s, switches <= %.0f/s %s\n", kTargetCpuPercent,
                        (total.runSeconds > 0 ? run : cpu) <= kTargetCpuPercent ? "met" : "MISSED",
                        kTargetSwitchesPerSecond, switches <= kTargetSwitchesPerSecond ? "met" : "MISSED");
            // Closing as the desktop does at log-out: every link thread must be joined promptly.
            const auto term = std::chrono::steady_clock::now();
            kill(pid, SIGTERM);
            int status = 0;
            for (int i = 0; i < 1000 && waitpid(pid, &status, WNOHANG) != pid; ++i)
                std::this_thread::sleep_for(5ms);
            std::printf("exit: Orvelle ended %.0f ms after SIGTERM\n",
                        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - term).count());
            result = 0;
        }
    }
    close(quiet);
    if (options.keep)
        std::fprintf(stderr, "bench_idle: scratch folder kept: %s\n", scratch.c_str());
    else
        fs::remove_all(scratch, ec);
    return result;
}
