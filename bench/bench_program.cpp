// The program's start-up: unpacking the shipped skin archive, and the whole start of Orvelle to
// its event loop (offscreen, started hidden) with its resident memory once running.

#include "ImgResUnpacker.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

extern char** environ;

namespace {

fs::path MakeScratch()
{
    char pattern[] = "/tmp/orvelle-bench-XXXXXX";
    return mkdtemp(pattern);
}

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void BM_UnpackImgRes(benchmark::State& state)
{
    const fs::path scratch = MakeScratch();
    const std::string zip = std::string(ORVELLE_BIN_DIR) + "/ImgRes.zip";
    for (auto _ : state) {
        const auto result = CImgResUnpacker::Unpack(zip, scratch.string());
        if (!result.ok)
            state.SkipWithError("ImgRes.zip did not unpack");
        benchmark::DoNotOptimize(result.files);
    }
    fs::remove_all(scratch);
}
BENCHMARK(BM_UnpackImgRes)->Unit(benchmark::kMillisecond);

// The program reports its own start-up time in its log; the benchmark reads it from there.
void BM_ProgramStart(benchmark::State& state)
{
    const fs::path install = MakeScratch();
    for (const char* file : {"Orvelle", "ImgRes.zip", "InitConfig.ini", "SetupVersion.txt"})
        fs::copy_file(fs::path(ORVELLE_BIN_DIR) / file, install / file);
    fs::create_directories(install / "rt");
    fs::permissions(install / "rt", fs::perms::owner_all);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("XDG_RUNTIME_DIR", (install / "rt").c_str(), 1);
    double rssKb = 0;
    for (auto _ : state) {
        fs::remove_all(install / "log");
        const std::string exe = (install / "Orvelle").string();
        char* argv[] = {const_cast<char*>(exe.c_str()), const_cast<char*>("hideWindows"), nullptr};
        pid_t pid = -1;
        if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv, environ) != 0) {
            state.SkipWithError("cannot start Orvelle");
            break;
        }
        long long ms = -1;
        for (int i = 0; i < 1000 && ms < 0; ++i) {
            std::this_thread::sleep_for(10ms);
            std::error_code ec;
            for (const auto& e : fs::directory_iterator(install / "log", ec)) {
                const std::string log = ReadAll(e.path());
                const size_t at = log.find("Orvelle started in ");
                if (at != std::string::npos)
                    ms = std::atoll(log.c_str() + at + 19);
            }
        }
        const std::string status = ReadAll("/proc/" + std::to_string(pid) + "/status");
        const size_t rss = status.find("VmRSS:");
        if (rss != std::string::npos)
            rssKb = std::atof(status.c_str() + rss + 6);
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        if (ms < 0) {
            state.SkipWithError("no start-up line in the log");
            break;
        }
        state.SetIterationTime(static_cast<double>(ms) / 1000.0);
    }
    state.counters["rss_MB"] = rssKb / 1024.0;
    fs::remove_all(install);
}
BENCHMARK(BM_ProgramStart)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
