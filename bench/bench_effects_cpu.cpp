// What the spotlight, the laser dot, the magnifier and the pen cost the whole desktop: the real
// Orvelle, started hidden under Xvfb at 1920 x 1080 (with xcompmgr or without a compositor), and a
// virtual remote that selects the effect, holds the do key still, then holds it while tracing a
// circle at 100 reports a second. The cost of drawing lands in the X server and the compositor as
// much as in the program, so the figure is the CPU time of all three together, read from
// /proc/<pid>/stat.
//
//   bench_effects_cpu [--effect spotlight|laser|magnifier|pen] [--compositor on|off] [--seconds N]
//                     [--screen WxH] [--bin DIR] [--keep] [--print-script]
//
// --print-script prints the remote's script for these options and ends: the Wayland figure
// (bench_effects_sway.sh) plays the same one.
//
// Three windows of N seconds (default 30), each inside its own phase of the remote's script:
//   idle     effect selected, do key up, the remote reporting 100 times a second
//   shown    do key held without motion, 100 reports a second
//   moving   do key held, the motion tracing a circle, 100 reports a second
// The program's resident memory is reported before the first show, at its peak while the effect
// shows, and two seconds after the do key's release hid it (the pen, which stays when the do key
// is let go, is left with the function key instead).
// Exit status 0 when the program ran and was measured, 1 when it could not be started.

#include "ProcCpu.h"
#include "ProgramRun.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

constexpr double kTargetSpotlightPercent = 15.0;
constexpr double kTargetLaserPercent = 5.0;
constexpr double kTargetShownPercent = 0.5;  // "about 0": a few ticks of the heartbeats, nothing drawn
constexpr int kRate = 100;                   // reports a second, as the remote sends while it moves
constexpr int kStepsPerCircle = 100;         // one circle a second
constexpr double kRadius = 300.0;            // physical pixels, well inside the screen
constexpr auto kSettle = 3s;                 // after the connection: start-up timers and the first sync run out
constexpr auto kMargin = 1s;                 // kept out of each window at both ends of its phase
constexpr auto kSamplePeriod = 50ms;
constexpr double kTargetFrozenPercent = 15.0; // the magnifier and the pen

// The effects in the order the function key selects them.
const char* const kEffects[] = {"spotlight", "laser", "magnifier", "pen"};
constexpr int kPen = 3;
// Logged at the first show: the do key's first report has reached the effect.
const char* const kShownLines[] = {"Searchlight_UI::Show x:", "DigitalLaser_UI::Draw ", "Zoom_Show end",
                                   "CPresenterPostil::Show x:"};
// Where the program logs the drawing it chose (with or without a compositor).
const char* const kModeLines[] = {"Searchlight_UI::Show ", "DigitalLaser_UI::Draw ", "KVOMagnifyManager::Show ",
                                  "CPresenterPostil::Show "};

struct Options : RunOptions {
    Options() { bin = ORVELLE_BIN_DIR; }
    int effect = 0; // index into kEffects
    bool laser = false;
    std::string screen = "1920x1080";
    bool printScript = false;
};

bool ParseOptions(int argc, char** argv, Options* o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const std::string v = i + 1 < argc ? argv[i + 1] : "";
        if (const int used = TakeRunOption(a, v, o)) {
            i += used - 1;
        } else if (a == "--effect" && std::find(std::begin(kEffects), std::end(kEffects), v) != std::end(kEffects)) {
            o->effect = static_cast<int>(std::find(std::begin(kEffects), std::end(kEffects), v) - std::begin(kEffects));
            o->laser = o->effect == 1;
            ++i;
        } else if (a == "--print-script") {
            o->printScript = true;
        } else if (a == "--screen" && v.find('x') != std::string::npos) {
            o->screen = v;
            ++i;
        } else {
            return false;
        }
    }
    return o->seconds > 0;
}

// The remote's whole performance. The idle and shown phases are one report and one wait each, the
// repetition done by --rate on the tool's fixed schedule, so their lengths are exact; the circle
// is one report per step and may run a little long, never short.
std::string RemoteScript(int effect, std::chrono::milliseconds phase)
{
    std::ostringstream s;
    s << "report 0x03 0\nwait " << std::chrono::duration_cast<std::chrono::milliseconds>(kSettle).count() << "\n";
    // The first press of the function key selects the spotlight, the next ones the laser, the
    // magnifier and the pen.
    for (int press = 0; press <= effect; ++press)
        s << "report 0x03 8\nwait 50\nreport 0x03 0\nwait 500\n";
    s << "# idle\nreport 0x03 0\nwait " << phase.count() << "\n";
    s << "# shown\nreport 0x03 4 0 0\nwait " << phase.count() << "\n";
    // Deltas between rounded points of the circle, so that the errors never add up and the dot
    // comes back to where it started after each turn.
    s << "# moving\nrepeat " << (phase.count() + 999) / 1000 << " {\n";
    const double pi = std::acos(-1.0);
    long x = std::lround(kRadius), y = 0;
    for (int i = 1; i <= kStepsPerCircle; ++i) {
        const double a = 2 * pi * i / kStepsPerCircle;
        const long nx = std::lround(kRadius * std::cos(a)), ny = std::lround(kRadius * std::sin(a));
        s << "report 0x03 4 " << (nx - x) << " " << (ny - y) << "\nwait " << 1000 / kRate << "\n";
        x = nx;
        y = ny;
    }
    s << "}\nreport 0x03 0\n";
    // The pen stays when the do key is let go; it is left by switching to the next function.
    if (effect == kPen)
        s << "wait 500\nreport 0x03 8\nwait 50\nreport 0x03 0\n";
    s << "wait 2000\n";
    return s.str();
}

// The CPU time of the measured processes, summed, at one moment.
struct Sample {
    Clock::time_point at;
    std::vector<unsigned long long> ticks;  // one per process, in the order given
    long residentKiB = 0;                   // of the first process
};

Sample Take(const std::vector<pid_t>& pids)
{
    Sample s{Clock::now(), {}, ResidentKiB(pids.front()).value_or(0)};
    for (pid_t pid : pids)
        s.ticks.push_back(ProcessTicks(pid).value_or(0));
    return s;
}

// The first sample at or after `t`.
const Sample* At(const std::vector<Sample>& samples, Clock::time_point t)
{
    for (const auto& s : samples) {
        if (s.at >= t)
            return &s;
    }
    return nullptr;
}

std::string LogText(const fs::path& logDir)
{
    std::string text;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(logDir, ec))
        text += ReadAll(e.path());
    return text;
}

// What follows "who" on the first line of the log that holds both `who` and `what`, empty when none does.
std::string LogLine(const std::string& log, const std::string& who, const std::string& what)
{
    std::istringstream lines(log);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t at = line.find(who);
        if (at != std::string::npos && line.find(what, at) != std::string::npos)
            return line.substr(at);
    }
    return {};
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        std::fprintf(stderr, "usage: bench_effects_cpu [--effect spotlight|laser|magnifier|pen] [--compositor on|off] [--seconds N] "
                             "[--screen WxH] [--bin DIR] [--keep] [--print-script]\n");
        return 2;
    }
    const auto phaseOf = [](int seconds) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::seconds(seconds) + 2 * kMargin);
    };
    if (options.printScript) {
        std::fputs(RemoteScript(options.effect, phaseOf(options.seconds)).c_str(), stdout);
        return 0;
    }
    std::string xvfb, xcompmgr;
    if (!FindDisplayTools("bench_effects_cpu", options.compositor, &xvfb, &xcompmgr))
        return 1;
    const ProgramScratch run = PrepareProgramScratch("bench_effects_cpu", "orvelle-effects-cpu", options.bin);
    if (run.scratch.empty())
        return 1;
    const fs::path& scratch = run.scratch;
    const fs::path& install = run.install;
    std::error_code ec;
    const int quiet = open("/dev/null", O_WRONLY | O_CLOEXEC);
    const char* effect = kEffects[options.effect];
    // Logged once, at the first show: the do key's first report has reached the effect.
    const std::string shownLine = kShownLines[options.effect];
    const auto window = std::chrono::seconds(options.seconds);
    const auto phase = phaseOf(options.seconds);

    int result = 1;
    {
        Children children;
        pid_t server = -1;
        const std::string display = StartXvfb(&children, xvfb, options.screen + "x24", quiet, &server);
        if (display.empty()) {
            std::fprintf(stderr, "bench_effects_cpu: Xvfb did not start\n");
            return 1;
        }
        std::vector<pid_t> measured{server};
        if (options.compositor) {
            measured.push_back(children.Add(Spawn({xcompmgr}, CleanEnv({display}), quiet)));
            std::this_thread::sleep_for(500ms);  // owns the compositor selection before the program asks
        }

        const std::string socket = (run.runtime / "remote.sock").string();
        const fs::path script = scratch / "remote.txt";
        std::ofstream(script) << RemoteScript(options.effect, phase);
        const pid_t remote =
            children.Add(Spawn({(options.bin / "orvelle-virtual-remote").string(), "--socket", socket, "--script",
                                script.string(), "--rate", std::to_string(kRate), "--quiet", "--record",
                                (scratch / "frames.txt").string()},
                               CleanEnv({display}), quiet));
        const pid_t pid = children.Add(Spawn({(install / "Orvelle").string(), "hideWindows"},
                                             CleanEnv({display, "XDG_RUNTIME_DIR=" + run.runtime.string(),
                                                       "ORVELLE_VIRTUAL_RECEIVER=" + socket}),
                                             quiet));
        measured.insert(measured.begin(), pid);
        const auto limit = kSettle + phase + 30s;

        // Sampled all along, so that the idle window before the first show can be cut out afterwards.
        std::vector<Sample> samples;
        std::optional<Clock::time_point> shown;
        const auto giveUp = Clock::now() + limit;
        while (!shown && Clock::now() < giveUp && waitpid(pid, nullptr, WNOHANG) == 0) {
            samples.push_back(Take(measured));
            if (LogText(install / "log").find(shownLine) != std::string::npos)
                shown = samples.back().at;
            else
                std::this_thread::sleep_for(kSamplePeriod);
        }
        if (!shown) {
            std::fprintf(stderr, "bench_effects_cpu: the %s was never shown (log in %s)\n", effect,
                         (install / "log").c_str());
            options.keep = true;
        } else {
            // Past the moving phase, which may run a little long, until the remote's script ends: the
            // release comes 2 s before that.
            // The pen comes on when it is chosen, a phase before the do key is held: its idle
            // window is the pen on screen with the do key up.
            const Clock::time_point base = options.effect == kPen ? *shown + phase : *shown;
            const auto end = base + 2 * phase;
            while (Clock::now() < end || (waitpid(remote, nullptr, WNOHANG) == 0 && Clock::now() < end + 30s)) {
                std::this_thread::sleep_for(kSamplePeriod);
                samples.push_back(Take(measured));
            }
            const auto released = samples.back().at - 2s;
            const std::string log = LogText(install / "log");
            // Which drawing the program chose: translucent with a compositor, shaped without.
            const std::string mode = LogLine(log, kModeLines[options.effect], "compositor");
            const double tick = static_cast<double>(sysconf(_SC_CLK_TCK));
            struct Figure {
                const char* name;
                Clock::time_point from;
                double target;
            };
            const Figure figures[] = {
                {"idle", base - phase + kMargin, kTargetShownPercent},
                {"shown", base + kMargin, kTargetShownPercent},
                {"moving", base + phase + kMargin,
                 options.laser ? kTargetLaserPercent : options.effect > 1 ? kTargetFrozenPercent : kTargetSpotlightPercent},
            };
            std::printf("%s, compositor %s, Xvfb %s, remote at %d reports/s, %d s per window (%s)\n", effect,
                        options.compositor ? "xcompmgr" : "none", options.screen.c_str(), kRate, options.seconds,
                        options.bin.c_str());
            std::printf("mode: %s\n", mode.empty() ? "(not in the log)" : mode.c_str());
            for (const auto& f : figures) {
                const Sample* a = At(samples, f.from);
                const Sample* b = At(samples, f.from + window);
                if (a == nullptr || b == nullptr) {
                    std::printf("%-7s not measured\n", f.name);
                    continue;
                }
                const double elapsed = std::chrono::duration<double>(b->at - a->at).count();
                std::vector<double> each;
                double total = 0;
                for (size_t i = 0; i < measured.size(); ++i) {
                    each.push_back(100.0 * static_cast<double>(b->ticks[i] - a->ticks[i]) / tick / elapsed);
                    total += each.back();
                }
                std::printf("%-7s cpu %6.2f %% of one core (Orvelle %.2f, Xvfb %.2f", f.name, total, each[0], each[1]);
                if (options.compositor)
                    std::printf(", xcompmgr %.2f", each[2]);
                std::printf(") over %.1f s; target %s %.1f %%: %s\n", elapsed,
                            f.target == kTargetShownPercent ? "about 0, at most" : "at most", f.target,
                            total <= f.target ? "met" : "MISSED");
            }
            long before = 0, peak = 0;
            for (const auto& sample : samples) {
                if (sample.at < *shown)
                    before = sample.residentKiB;
                else if (sample.at < released)
                    peak = std::max(peak, sample.residentKiB);
            }
            std::printf("memory  resident %.1f MiB before the first show, %.1f MiB at the peak while shown, "
                        "%.1f MiB 2 s after the release\n",
                        before / 1024.0, peak / 1024.0, samples.back().residentKiB / 1024.0);
            if (log.find("size is full") != std::string::npos)
                std::printf("note: the laser queue dropped moves (\"size is full\" in the log)\n");
            result = 0;
        }
    }
    close(quiet);
    std::fflush(stdout);
    if (options.keep)
        std::fprintf(stderr, "bench_effects_cpu: scratch folder kept: %s\n", scratch.c_str());
    else
        fs::remove_all(scratch, ec);
    return result;
}
