// The program's start-up: unpacking the shipped skin archive, and the whole start of Orvelle to
// its event loop (offscreen, started hidden) with its resident memory once running.

#include "ImgResUnpacker.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <cstdio>
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

// A scratch install folder with the program and its data, and a private runtime folder for the
// program's lock.
fs::path MakeInstall()
{
    const fs::path install = MakeScratch();
    for (const char* file : {"Orvelle", "ImgRes.zip", "InitConfig.ini", "SetupVersion.txt"})
        fs::copy_file(fs::path(ORVELLE_BIN_DIR) / file, install / file);
    fs::create_directories(install / "rt");
    fs::permissions(install / "rt", fs::perms::owner_all);
    setenv("XDG_RUNTIME_DIR", (install / "rt").c_str(), 1);
    return install;
}

pid_t StartHidden(const fs::path& install)
{
    const std::string exe = (install / "Orvelle").string();
    char* argv[] = {const_cast<char*>(exe.c_str()), const_cast<char*>("hideWindows"), nullptr};
    pid_t pid = -1;
    return posix_spawn(&pid, argv[0], nullptr, nullptr, argv, environ) == 0 ? pid : -1;
}

std::string Run(const std::string& command)
{
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            out.append(buffer, n);
        pclose(pipe);
    }
    return out;
}

// The program reports its own start-up time in its log; the benchmark reads it from there.
void BM_ProgramStart(benchmark::State& state)
{
    const fs::path install = MakeInstall();
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    double rssKb = 0;
    for (auto _ : state) {
        fs::remove_all(install / "log");
        const pid_t pid = StartHidden(install);
        if (pid < 0) {
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

// From the program's spawn to its tray icon sitting inside the tray: a private Xvfb with trayer,
// polled with xwininfo every few milliseconds (each poll costs a few milliseconds itself).
void BM_TrayIconEmbedded(benchmark::State& state)
{
    if (Run("for t in Xvfb trayer xwininfo; do command -v $t; done | wc -l").find('3') != 0) {
        state.SkipWithError("needs Xvfb, trayer and xwininfo");
        return;
    }
    const fs::path install = MakeInstall();
    int fds[2];
    if (pipe(fds) != 0) {
        state.SkipWithError("pipe");
        return;
    }
    const std::string fd = std::to_string(fds[1]);
    char* xvfbArgv[] = {const_cast<char*>("Xvfb"), const_cast<char*>("-displayfd"), const_cast<char*>(fd.c_str()),
                        const_cast<char*>("-screen"), const_cast<char*>("0"), const_cast<char*>("1920x1080x24"),
                        const_cast<char*>("-nolisten"), const_cast<char*>("tcp"), nullptr};
    pid_t xvfb = -1;
    posix_spawnp(&xvfb, "Xvfb", nullptr, nullptr, xvfbArgv, environ);
    close(fds[1]);
    char display[16] = {};
    const ssize_t got = read(fds[0], display, sizeof display - 1);
    close(fds[0]);
    if (xvfb < 0 || got <= 0) {
        state.SkipWithError("Xvfb did not start");
        return;
    }
    setenv("DISPLAY", (":" + std::to_string(std::atoi(display))).c_str(), 1);
    unsetenv("QT_QPA_PLATFORM");
    char* trayerArgv[] = {const_cast<char*>("trayer"), const_cast<char*>("--edge"), const_cast<char*>("bottom"),
                          nullptr};
    pid_t trayer = -1;
    posix_spawnp(&trayer, "trayer", nullptr, nullptr, trayerArgv, environ);
    std::string panel;
    for (int i = 0; i < 100 && panel.empty(); ++i) {
        std::this_thread::sleep_for(50ms);
        std::istringstream tree(Run("xwininfo -root -tree 2>/dev/null"));
        for (std::string line; std::getline(tree, line);) {
            if (line.find("(\"panel\" \"trayer\")") != std::string::npos)
                panel = line.substr(line.find("0x"), line.find(' ', line.find("0x")) - line.find("0x"));
        }
    }
    const std::string poll = "xwininfo -tree -id " + panel + " 2>/dev/null";
    for (auto _ : state) {
        if (panel.empty()) {
            state.SkipWithError("trayer shows no panel");
            break;
        }
        fs::remove_all(install / "log");
        const auto started = std::chrono::steady_clock::now();
        const pid_t pid = StartHidden(install);
        double ms = -1;
        while (pid > 0 && ms < 0 && std::chrono::steady_clock::now() - started < 10s) {
            if (Run(poll).find("\"Orvelle\"") != std::string::npos)
                ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
            else
                std::this_thread::sleep_for(2ms);
        }
        if (pid > 0) {
            // Past the link's start, so the close is the ordinary one.
            std::this_thread::sleep_for(2500ms);
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
        if (ms < 0) {
            state.SkipWithError("the tray icon was not embedded within 10 s");
            break;
        }
        state.SetIterationTime(ms / 1000.0);
    }
    for (pid_t child : {trayer, xvfb}) {
        if (child > 0) {
            kill(child, SIGTERM);
            waitpid(child, nullptr, 0);
        }
    }
    fs::remove_all(install);
}
BENCHMARK(BM_TrayIconEmbedded)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
