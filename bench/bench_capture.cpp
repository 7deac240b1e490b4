// Time to freeze the screen once per show: the whole root window of an Xvfb at 1920 x 1080 and
// at 3840 x 2160 read through MIT-SHM ("shm" 1) and copied into the frozen picture. Needs Xvfb;
// skipped without it.

#include "ChildProcess.h"
#include "X11ScreenCapture.h"

#include <benchmark/benchmark.h>

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

} // namespace

BENCHMARK_MAIN();
