// How long a report of the remote takes to move the laser dot on screen: the real Orvelle under
// Xvfb, a virtual remote that holds the do key and sweeps the dot right and left with one motion
// report every 10 ms, and an X client of our own that watches the root window for the dot's
// window moves. The remote writes when it sent each report (--sent), the watcher when the server
// told it of each move, both on the monotonic clock; a move is matched to the report whose
// motion put the dot there (the sweeps pass every position once each way, so a position seen
// names its report even when the program skipped stale ones).
//
//   bench_effects_latency [--compositor on|off] [--seconds N] [--bin DIR] [--keep]
//
// Exit status 0 when the program ran and was measured, 1 otherwise.

#include "ChildProcess.h"
#include "ProcCpu.h"
#include "ProgramRun.h"

#include <X11/Xlib.h>
#include <poll.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr double kTargetP99Ms = 4.0;
constexpr int kStepsPerSweep = 150;
constexpr int kMotion = 2;      // remote counts per report; the program scales them for the screen
constexpr int kMaxDot = 300;    // the dot's window is square and at most this large

struct Options : RunOptions {
    Options() { bin = ORVELLE_BIN_DIR; }
};

bool ParseOptions(int argc, char** argv, Options* o)
{
    for (int i = 1; i < argc; ++i) {
        const int used = TakeRunOption(argv[i], i + 1 < argc ? argv[i + 1] : "", o);
        if (used == 0)
            return false;
        i += used - 1;
    }
    return o->seconds > 0;
}

long long MonotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1'000'000'000LL + ts.tv_nsec;
}

// Online, the laser selected (two presses of the function key), the do key held still, then
// sweeps right and left. Waits of 9 ms stay under the repeat period: no motion report twice.
std::string RemoteScript(int sweepPairs)
{
    std::ostringstream s;
    s << "report 0x03 0\nwait 3000\n";
    for (int press = 0; press < 2; ++press)
        s << "report 0x03 8\nwait 50\nreport 0x03 0\nwait 500\n";
    s << "report 0x03 4\nwait 1000\nrepeat " << sweepPairs << " {\n";
    s << "repeat " << kStepsPerSweep << " {\nreport 0x03 4 " << kMotion << " 0\nwait 9\n}\n";
    s << "repeat " << kStepsPerSweep << " {\nreport 0x03 4 " << -kMotion << " 0\nwait 9\n}\n";
    s << "}\nreport 0x03 0\nwait 1000\n";
    return s.str();
}

struct Sent {
    long long ns;
    int dx;
};

// The motion reports in the remote's --sent log, in order.
std::vector<Sent> MotionReports(const fs::path& file)
{
    std::vector<Sent> sent;
    std::istringstream lines(ReadAll(file));
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        long long ns = 0;
        fields >> ns;
        std::vector<int> bytes;
        for (std::string hex; fields >> hex;)
            bytes.push_back(static_cast<int>(std::strtol(hex.c_str(), nullptr, 16)));
        // Input report: id, status, two bytes, key, one byte, signed dx, signed dy.
        if (bytes.size() > 7 && bytes[4] == 4 && bytes[6] != 0)
            sent.push_back({ns, static_cast<int8_t>(bytes[6])});
    }
    return sent;
}

struct Move {
    long long ns;
    int centreX;
};

// Watches the root window for the moves of the dot's window (override-redirect, square, small).
class MoveWatcher {
public:
    bool Start(const std::string& display)
    {
        m_display = XOpenDisplay(display.substr(display.find('=') + 1).c_str());
        if (m_display == nullptr)
            return false;
        XSelectInput(m_display, DefaultRootWindow(m_display), SubstructureNotifyMask);
        XFlush(m_display);
        m_thread = std::thread([this] { Run(); });
        return true;
    }
    std::vector<Move> Stop()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_display != nullptr)
            XCloseDisplay(m_display);
        m_display = nullptr;
        return m_moves;
    }

private:
    void Run()
    {
        pollfd fd{ConnectionNumber(m_display), POLLIN, 0};
        while (!m_stop) {
            if (XPending(m_display) == 0) {
                poll(&fd, 1, 50);
                continue;
            }
            XEvent event;
            XNextEvent(m_display, &event);
            const long long now = MonotonicNs();
            if (event.type != ConfigureNotify)
                continue;
            const XConfigureEvent& c = event.xconfigure;
            if (c.override_redirect && c.width == c.height && c.width <= kMaxDot)
                m_moves.push_back({now, c.x + c.width / 2});
        }
    }

    Display* m_display = nullptr;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::vector<Move> m_moves;
};

double Percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, static_cast<size_t>(p / 100.0 * static_cast<double>(v.size())));
    return v[i];
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        std::fprintf(stderr, "usage: bench_effects_latency [--compositor on|off] [--seconds N] [--bin DIR] [--keep]\n");
        return 2;
    }
    std::string xvfb, xcompmgr;
    if (!FindDisplayTools("bench_effects_latency", options.compositor, &xvfb, &xcompmgr))
        return 1;
    const ProgramScratch run = PrepareProgramScratch("bench_effects_latency", "orvelle-effects-latency", options.bin);
    if (run.scratch.empty())
        return 1;
    const fs::path& scratch = run.scratch;
    const fs::path& install = run.install;
    const int quiet = open("/dev/null", O_WRONLY | O_CLOEXEC);
    const int sweepPairs = std::max(1, options.seconds * 100 / (2 * kStepsPerSweep));

    std::vector<Sent> sent;
    std::vector<Move> moves;
    {
        Children children;
        const std::string display = StartXvfb(&children, xvfb, "1920x1080x24", quiet, nullptr);
        if (display.empty()) {
            std::fprintf(stderr, "bench_effects_latency: Xvfb did not start\n");
            return 1;
        }
        if (options.compositor) {
            children.Add(Spawn({xcompmgr}, CleanEnv({display}), quiet));
            std::this_thread::sleep_for(500ms);
        }
        MoveWatcher watcher;
        if (!watcher.Start(display)) {
            std::fprintf(stderr, "bench_effects_latency: cannot open %s\n", display.c_str());
            return 1;
        }
        const std::string socket = (run.runtime / "remote.sock").string();
        const fs::path script = scratch / "remote.txt";
        std::ofstream(script) << RemoteScript(sweepPairs);
        const pid_t remote = children.Add(Spawn({(options.bin / "orvelle-virtual-remote").string(), "--socket", socket,
                                                 "--script", script.string(), "--rate", "100", "--quiet", "--record",
                                                 (scratch / "frames.txt").string(), "--sent",
                                                 (scratch / "sent.txt").string()},
                                                CleanEnv({display}), quiet));
        children.Add(Spawn({(install / "Orvelle").string(), "hideWindows"},
                           CleanEnv({display, "XDG_RUNTIME_DIR=" + run.runtime.string(),
                                     "ORVELLE_VIRTUAL_RECEIVER=" + socket}),
                           quiet));
        // The remote ends with its script.
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(options.seconds) + 60s;
        while (std::chrono::steady_clock::now() < limit && waitpid(remote, nullptr, WNOHANG) == 0)
            std::this_thread::sleep_for(100ms);
        moves = watcher.Stop();
        sent = MotionReports(scratch / "sent.txt");
    }
    close(quiet);

    if (options.keep) {
        std::ofstream dump(scratch / "moves.txt");
        for (const Move& m : moves)
            dump << m.ns << " " << m.centreX << "\n";
    }
    // Where each report put the dot: the sweeps start at the screen's centre, where selecting the
    // laser put its point; the program's scale of the motion is the smallest step seen.
    int step = 0;
    for (size_t i = 1; i < moves.size(); ++i) {
        const int d = std::abs(moves[i].centreX - moves[i - 1].centreX);
        if (d > 0 && (step == 0 || d < step))
            step = d;
    }
    std::vector<double> latencies;
    if (!sent.empty() && step > 0) {
        std::map<int, std::vector<size_t>> reportsAt; // dot position -> reports that put it there, in order
        int x = 1920 / 2;
        for (size_t k = 0; k < sent.size(); ++k) {
            x += sent[k].dx > 0 ? step : -step;
            reportsAt[x].push_back(k);
        }
        // With --keep each matched move goes to latencies.txt: when its report was sent, how long it took.
        std::ofstream matched;
        if (options.keep)
            matched.open(scratch / "latencies.txt");
        for (const Move& m : moves) {
            if (m.ns < sent.front().ns)
                continue;
            const auto at = reportsAt.find(m.centreX);
            if (at == reportsAt.end())
                continue;
            // The newest report before the move that put the dot there.
            const Sent* cause = nullptr;
            for (size_t k : at->second) {
                if (sent[k].ns <= m.ns)
                    cause = &sent[k];
            }
            if (cause == nullptr)
                continue;
            latencies.push_back(static_cast<double>(m.ns - cause->ns) / 1e6);
            if (options.keep)
                matched << (cause->ns - sent.front().ns) / 1000000 << " ms: " << latencies.back() << " ms at x "
                        << m.centreX << "\n";
        }
    }
    std::printf("laser, compositor %s, Xvfb 1920x1080, one motion report every 10 ms (%s)\n",
                options.compositor ? "xcompmgr" : "none", options.bin.c_str());
    int result = 1;
    if (latencies.empty()) {
        std::printf("not measured: %zu motion reports sent, %zu dot moves seen\n", sent.size(), moves.size());
        options.keep = true;
    } else {
        const double p99 = Percentile(latencies, 99);
        std::printf("report to dot move: %zu moves for %zu reports (%d px a report): p50 %.2f ms, p90 %.2f ms, "
                    "p99 %.2f ms, max %.2f ms; target p99 under %.1f ms: %s\n",
                    latencies.size(), sent.size(), step, Percentile(latencies, 50), Percentile(latencies, 90), p99,
                    Percentile(latencies, 100), kTargetP99Ms, p99 < kTargetP99Ms ? "met" : "MISSED");
        result = 0;
    }
    std::error_code ec;
    if (options.keep)
        std::fprintf(stderr, "bench_effects_latency: scratch folder kept: %s\n", scratch.c_str());
    else
        fs::remove_all(scratch, ec);
    return result;
}
