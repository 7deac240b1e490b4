// Time to freeze the screen once per show: the whole root window of an Xvfb at 1920 x 1080 and
// at 3840 x 2160 read through MIT-SHM ("shm" 1) and copied into the frozen picture. Needs Xvfb;
// skipped without it.
// On a Wayland session, the same the session's way (GNOME: a screen cast opened, one PipeWire
// frame of each monitor, the cast closed; KDE: KWin's screenshot service; wlroots: screencopy).
// Skipped without a Wayland session; run it on the headless ones of the Wayland tests:
//   tests/wayland/run_on.sh mutter|kwin|sway build bench build/bench/bench_capture --benchmark_filter=Wayland

#include "ChildProcess.h"
#include "DesktopSession.h"
#include "SessionBackends.h"
#include "X11ScreenCapture.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <cstdlib>
#include <string>

namespace {

void BM_CaptureVirtualScreen(benchmark::State& state)
{
    const std::string xvfb = Which("Xvfb");
    if (xvfb.empty()) {
        state.SkipWithError("Xvfb is not installed");
        return;
    }
    const bool uhd = state.range(0) != 0;
    pid_t server = -1;
    const std::string display =
        SpawnXvfb(xvfb, uhd ? "3840x2160x24" : "1920x1080x24", InheritedEnv(), &server, -1);
    if (display.empty()) {
        state.SkipWithError("Xvfb did not start");
        return;
    }
    setenv("DISPLAY", display.c_str(), 1);
    {
        platform::X11ScreenCapture capture;
        platform::CapturedScreen shot;
        for (auto _ : state) {
            if (!capture.CaptureVirtualScreen(shot)) {
                state.SkipWithError("the capture failed");
                break;
            }
            benchmark::DoNotOptimize(shot.pixels.get());
        }
        state.counters["shm"] = capture.LastUsedSharedMemory() ? 1 : 0;
        state.counters["px"] = static_cast<double>(shot.width) * shot.height;
    }
    Stop(server);
}
BENCHMARK(BM_CaptureVirtualScreen)->ArgNames({"screen4k"})->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_CaptureWaylandSession(benchmark::State& state)
{
    const platform::DesktopSession& session = platform::ProbeDesktopSession();
    if (!session.wayland) {
        state.SkipWithError("no Wayland session");
        return;
    }
    const std::unique_ptr<platform::IScreenCapture> capture = platform::MakeScreenCapture();
    platform::CapturedScreen shot;
    for (auto _ : state) {
        if (!capture->CaptureVirtualScreen(shot)) {
            state.SkipWithError("the capture failed");
            break;
        }
        benchmark::DoNotOptimize(shot.pixels.get());
    }
    // The capture's part of the session line.
    const std::string line = session.Describe();
    const size_t from = line.find("frozen pictures: ");
    state.SetLabel(from == std::string::npos ? line : line.substr(from, line.find(';', from) - from));
    state.counters["px"] = static_cast<double>(shot.width) * shot.height;
}
BENCHMARK(BM_CaptureWaylandSession)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv)
{
    // GNOME's and KDE's services are on the session bus, spoken to through Qt.
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
