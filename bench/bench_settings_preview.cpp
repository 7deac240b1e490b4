// What the settings window costs the whole desktop while a user drags the spotlight's aspect
// slider: every move writes the setting to config.ini and re-places the preview layer over the
// window, whose hole follows the slider. The real Orvelle runs shown under Xvfb at 1920 x 1080
// (with xcompmgr or without a compositor); one xdotool process drags the thumb back and forth at
// about 60 moves a second. The figure is the CPU time of Orvelle, the X server and the compositor
// together, read from /proc/<pid>/stat; xdotool's own time is not counted.
//
//   bench_settings_preview [--compositor on|off] [--seconds N] [--bin DIR] [--keep]
//
// Two windows of N seconds (default 20): the settings window shown with nothing happening, then
// the drag. Also printed: the moves sent, the CPU time per move, and the program's resident
// memory; config.ini must hold the value where the drag let go, or the run counts as failed.
// Exit status 0 when the program ran and was measured, 1 when it could not be started.

#include "ProcCpu.h"
#include "ProgramRun.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kMovesPerSecond = 60;
// FunSet_H_Slider of the settings window: its track, its vertical centre, its value range.
constexpr int kSliderLeft = 480, kSliderRight = 830, kSliderY = 439;
constexpr int kMin = 30, kMax = 100;
constexpr int kThumb = 20;

int XOf(int value)
{
    return kSliderLeft + kThumb / 2 + (value - kMin) * (kSliderRight - kSliderLeft - kThumb) / (kMax - kMin);
}

// The output of a shell command on the benchmark's display.
std::string Run(const std::string& display, const std::string& command)
{
    std::string text;
    if (FILE* p = popen((display + " " + command + " 2>/dev/null").c_str(), "r")) {
        char buf[4096];
        for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;)
            text.append(buf, n);
        pclose(p);
    }
    return text;
}

// The settings window: the program's visible window of 880 x 620, waiting up to 20 s.
std::string SettingsWindow(const std::string& display)
{
    const std::string find =
        "sh -c 'for id in $(xdotool search --onlyvisible --classname \"^Orvelle$\"); do "
        "xdotool getwindowgeometry $id | grep -q \"Geometry: 880x620\" && echo $id && break; done'";
    for (int i = 0; i < 200; ++i) {
        std::string id = Run(display, find);
        while (!id.empty() && (id.back() == '\n' || id.back() == ' '))
            id.pop_back();
        if (!id.empty())
            return id;
        std::this_thread::sleep_for(100ms);
    }
    return {};
}

// One xdotool command line that presses the thumb and sweeps it between the slider's ends for
// `seconds`, one move every 1/kMovesPerSecond s, then lets go at the top of the range.
std::vector<std::string> DragCommand(const std::string& window, int seconds)
{
    std::vector<std::string> args{Which("xdotool"), "mousemove", "--window", window, std::to_string(XOf(kMin)),
                                  std::to_string(kSliderY), "click", "1", "sleep", "0.2", "mousedown", "1"};
    std::ostringstream pause;
    pause << 1.0 / kMovesPerSecond;
    const int moves = seconds * kMovesPerSecond;
    const int span = XOf(kMax) - XOf(kMin);
    for (int i = 1; i <= moves; ++i) {
        // A triangle wave over the track, two sweeps a second.
        const int phase = (i * 4 * span / kMovesPerSecond) % (2 * span);
        const int x = XOf(kMin) + (phase <= span ? phase : 2 * span - phase);
        for (const std::string& a : {std::string("mousemove"), std::string("--window"), window, std::to_string(x),
                                     std::to_string(kSliderY), std::string("sleep"), pause.str()})
            args.push_back(a);
    }
    for (const std::string& a : {std::string("mousemove"), std::string("--window"), window, std::to_string(XOf(kMax)),
                                 std::to_string(kSliderY), std::string("sleep"), pause.str()})
        args.push_back(a);
    args.push_back("mouseup");
    args.push_back("1");
    return args;
}

struct Sample {
    Clock::time_point at;
    unsigned long long ticks = 0;  // the measured processes together
    std::vector<unsigned long long> each;
};

Sample Take(const std::vector<pid_t>& pids)
{
    Sample s{Clock::now(), 0, {}};
    for (pid_t pid : pids) {
        s.each.push_back(ProcessTicks(pid).value_or(0));
        s.ticks += s.each.back();
    }
    return s;
}

} // namespace

int main(int argc, char** argv)
{
    RunOptions options;
    options.bin = ORVELLE_BIN_DIR;
    options.seconds = 20;
    for (int i = 1; i < argc; ++i) {
        const int used = TakeRunOption(argv[i], i + 1 < argc ? argv[i + 1] : "", &options);
        if (used == 0 || options.seconds <= 0) {
            std::fprintf(stderr, "usage: bench_settings_preview [--compositor on|off] [--seconds N] [--bin DIR] [--keep]\n");
            return 2;
        }
        i += used - 1;
    }
    std::string xvfb, xcompmgr;
    if (!FindDisplayTools("bench_settings_preview", options.compositor, &xvfb, &xcompmgr))
        return 1;
    if (Which("xdotool").empty()) {
        std::fprintf(stderr, "bench_settings_preview: xdotool is not installed\n");
        return 1;
    }
    const ProgramScratch run = PrepareProgramScratch("bench_settings_preview", "orvelle-settings-preview", options.bin);
    if (run.scratch.empty())
        return 1;
    const int quiet = open("/dev/null", O_WRONLY | O_CLOEXEC);
    int result = 1;
    {
        Children children;
        pid_t server = -1;
        const std::string display = StartXvfb(&children, xvfb, "1920x1080x24", quiet, &server);
        if (display.empty()) {
            std::fprintf(stderr, "bench_settings_preview: Xvfb did not start\n");
            return 1;
        }
        std::vector<pid_t> measured{server};
        if (options.compositor) {
            measured.push_back(children.Add(Spawn({xcompmgr}, CleanEnv({display}), quiet)));
            std::this_thread::sleep_for(500ms);
        }
        const pid_t pid = children.Add(Spawn({(run.install / "Orvelle").string()},
                                             CleanEnv({display, "XDG_RUNTIME_DIR=" + run.runtime.string()}), quiet));
        measured.insert(measured.begin(), pid);
        const std::string window = SettingsWindow(display);
        if (window.empty()) {
            std::fprintf(stderr, "bench_settings_preview: the settings window did not appear (log in %s)\n",
                         (run.install / "log").c_str());
            options.keep = true;
        } else {
            std::this_thread::sleep_for(3s);  // start-up timers run out
            const auto seconds = std::chrono::seconds(options.seconds);
            const Sample idleFrom = Take(measured);
            std::this_thread::sleep_for(seconds);
            const Sample idleTo = Take(measured);
            const long idleKiB = ResidentKiB(pid).value_or(0);

            std::vector<std::string> drag = DragCommand(window, options.seconds);
            const Sample dragFrom = Take(measured);
            const pid_t mover = children.Add(Spawn(drag, CleanEnv({display}), quiet));
            long peakKiB = 0;
            while (mover > 0 && waitpid(mover, nullptr, WNOHANG) == 0) {
                peakKiB = std::max(peakKiB, ResidentKiB(pid).value_or(0));
                std::this_thread::sleep_for(100ms);
            }
            const Sample dragTo = Take(measured);
            const double tick = static_cast<double>(sysconf(_SC_CLK_TCK));
            const auto report = [&](const char* name, const Sample& a, const Sample& b) {
                const double elapsed = std::chrono::duration<double>(b.at - a.at).count();
                std::printf("%-5s cpu %6.2f %% of one core (Orvelle %.2f, Xvfb %.2f", name,
                            100.0 * static_cast<double>(b.ticks - a.ticks) / tick / elapsed,
                            100.0 * static_cast<double>(b.each[0] - a.each[0]) / tick / elapsed,
                            100.0 * static_cast<double>(b.each[1] - a.each[1]) / tick / elapsed);
                if (options.compositor)
                    std::printf(", xcompmgr %.2f", 100.0 * static_cast<double>(b.each[2] - a.each[2]) / tick / elapsed);
                std::printf(") over %.1f s\n", elapsed);
            };
            std::printf("settings window with the spotlight preview, compositor %s, Xvfb 1920x1080 (%s)\n",
                        options.compositor ? "xcompmgr" : "none", options.bin.c_str());
            report("idle", idleFrom, idleTo);
            report("drag", dragFrom, dragTo);
            const std::string stored = ReadAll(run.install / "config.ini");
            const int moves = options.seconds * kMovesPerSecond;
            std::printf("drag  %d moves sent; CPU per move %.2f ms (all three processes)\n", moves,
                        1000.0 * static_cast<double>(dragTo.ticks - dragFrom.ticks) / tick / moves);
            std::printf("memory resident %.1f MiB shown and idle, %.1f MiB at the peak of the drag\n", idleKiB / 1024.0,
                        peakKiB / 1024.0);
            // The drag lets go at the top of the range: the slider followed it to the end.
            if (stored.find("AspectRatio = 1.000000") == std::string::npos) {
                std::printf("the drag did not reach the slider: config.ini does not hold AspectRatio 1.0\n");
                result = 1;
            } else {
                result = 0;
            }
        }
    }
    close(quiet);
    std::error_code ec;
    if (options.keep)
        std::fprintf(stderr, "bench_settings_preview: scratch folder kept: %s\n", run.scratch.c_str());
    else
        fs::remove_all(run.scratch, ec);
    return result;
}
