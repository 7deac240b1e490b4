// Idle cost of OrvelleServer: the built launcher, run from a scratch folder without Orvelle (so
// it starts nothing), first with no receiver and then with the virtual receiver listening. Over
// each window it reads the launcher's threads from /proc and prints the share of one core. It
// also times the presence test itself in this process, the call the poller makes once a second.
//
//   bench_launcher_idle [--seconds N]      (default 30 per window; ORVELLE_LAUNCHER_IDLE_SECONDS)
//
// Exit status 0 when the launcher ran and was measured, 1 when it could not be started.

#include "ProcCpu.h"
#include "ProgramRun.h"

#include "IHidApi.h"
#include "KVOHidThreadManager.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr double kTargetCpuPercent = 0.05;

// CPU time of every live thread of `pid`, in seconds of run time (schedstat) or, without it,
// of clock ticks.
double CpuSeconds(pid_t pid)
{
    double run = 0;
    unsigned long long ticks = 0;
    for (const auto& [tid, sample] : SampleProcess(pid)) {
        run += static_cast<double>(sample.runNs) / 1e9;
        ticks += sample.ticks;
    }
    return run > 0 ? run : static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double MeasurePercent(pid_t pid, int seconds)
{
    const double before = CpuSeconds(pid);
    const auto t0 = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    return 100.0 * (CpuSeconds(pid) - before) / elapsed;
}

// Microseconds per presence test as the poller makes it, with the environment's receivers.
double PresenceTestMicros()
{
    constexpr int kCalls = 2000;
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < kCalls; ++i)
        (void)KVOAnyReceiverPresent();
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count() / kCalls;
}

} // namespace

int main(int argc, char** argv)
{
    int seconds = 30;
    if (const char* s = std::getenv("ORVELLE_LAUNCHER_IDLE_SECONDS"); s && *s)
        seconds = std::atoi(s);
    if (argc == 3 && std::string(argv[1]) == "--seconds")
        seconds = std::atoi(argv[2]);
    if (seconds <= 0 || (argc != 1 && argc != 3)) {
        std::fprintf(stderr, "usage: bench_launcher_idle [--seconds N]\n");
        return 2;
    }
    const fs::path scratch = MakeScratchFolder("bench_launcher_idle", "orvelle-launcher-idle");
    if (scratch.empty())
        return 1;
    std::error_code ec;
    for (const char* folder : {"rt", "config"}) {
        fs::create_directories(scratch / folder);
        fs::permissions(scratch / folder, fs::perms::owner_all);
    }
    fs::copy_file(fs::path(ORVELLE_BIN_DIR) / "OrvelleServer", scratch / "OrvelleServer", ec);
    if (ec) {
        std::fprintf(stderr, "bench_launcher_idle: no built OrvelleServer in %s\n", ORVELLE_BIN_DIR);
        return 1;
    }
    const std::string socket = (scratch / "rt" / "remote.sock").string();
    const int quiet = open("/dev/null", O_WRONLY | O_CLOEXEC);
    int result = 1;
    {
        Children children;
        const pid_t launcher =
            children.Add(Spawn({(scratch / "OrvelleServer").string()},
                               CleanEnv({"XDG_RUNTIME_DIR=" + (scratch / "rt").string(),
                                         "XDG_CONFIG_HOME=" + (scratch / "config").string(),
                                         "ORVELLE_VIRTUAL_RECEIVER=" + socket}),
                               quiet));
        // Past the start-up starter's three seconds, which finds no Orvelle and ends.
        std::this_thread::sleep_for(4s);
        if (launcher > 0 && waitpid(launcher, nullptr, WNOHANG) == 0) {
            const double absent = MeasurePercent(launcher, seconds);
            children.Add(Spawn({std::string(ORVELLE_BIN_DIR) + "/orvelle-virtual-remote", "--socket", socket,
                                "--quiet", "--record", "/dev/null"},
                               CleanEnv({}), quiet));
            std::this_thread::sleep_for(2s);
            const double present = MeasurePercent(launcher, seconds);
            setenv("ORVELLE_VIRTUAL_RECEIVER", socket.c_str(), 1);
            const double micros = PresenceTestMicros();
            std::printf("OrvelleServer idle, %d s per window\n", seconds);
            std::printf("no receiver:              cpu %.4f %% of one core\n", absent);
            std::printf("virtual receiver present: cpu %.4f %% of one core\n", present);
            std::printf("presence test (receiver present): %.1f us per call\n", micros);
            const double worst = std::max(absent, present);
            std::printf("cpu_percent_of_one_core=%.4f target <= %.2f %% %s\n", worst, kTargetCpuPercent,
                        worst <= kTargetCpuPercent ? "met" : "MISSED");
            result = 0;
        } else {
            std::fprintf(stderr, "bench_launcher_idle: the launcher did not stay up\n");
        }
    }
    close(quiet);
    fs::remove_all(scratch, ec);
    return result;
}
