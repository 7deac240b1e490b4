// The whole device link as InitKVOControler starts it, with an in-process virtual receiver.
// Latency: from a report written into the receiver's socket to the motion thread's key-handler
// call (HID reader, receive queue, decoder, motion queue and motion thread included), at a steady
// report rate. Idle CPU: the running link with a connected remote that reports once a second.

#include "PacedLatency.h"
#include "ControllerSet.h"
#include "CPresenterService.h"
#include "KVOControler.h"
#include "KVOCursorMotion.h"
#include "KVOHidThreadManager.h"
#include "KVOReportDecoder.h"
#include "SystemHidApi.h"
#include "VirtualReceiverServer.h"

#include <benchmark/benchmark.h>

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Notes when each key event arrives.
class TimingKeyHandler final : public IKVOKeyHandler {
public:
    void DealWithPresenterKeyValue(uint8_t, int, int) override { Note(); }
    void DealWithMouseKeyValue(uint8_t, uint8_t, int, int) override { Note(); }
    // Waits for the call after `seen`; false after a second without one.
    bool WaitNext(uint64_t seen, Clock::time_point* at)
    {
        std::unique_lock lock(m_mutex);
        if (!m_changed.wait_for(lock, std::chrono::seconds(1), [&] { return m_calls > seen; }))
            return false;
        *at = m_last;
        return true;
    }
    uint64_t Calls()
    {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }

private:
    void Note()
    {
        const auto now = Clock::now();
        {
            std::lock_guard lock(m_mutex);
            m_last = now;
            ++m_calls;
        }
        m_changed.notify_all();
    }
    std::mutex m_mutex;
    std::condition_variable m_changed;
    Clock::time_point m_last;
    uint64_t m_calls = 0;
};

// A running link with one connected presenter on the virtual receiver.
class RunningLink {
public:
    RunningLink()
    {
        const std::string base = "/tmp/orvelle-bench-link-" + std::to_string(::getpid());
        std::filesystem::create_directories(base);
        setenv("XDG_DATA_HOME", base.c_str(), 1);
        m_socket = base + "/remote.sock";
        m_api = std::make_unique<platform::SystemHidApi>(std::make_unique<platform::VirtualReceiver>(m_socket, 0x0178));
        platform::SetHidApi(m_api.get());
        KVOControlerEnvironment environment;
        environment.keyHandler = &keys;
        SetKVOControlerEnvironment(environment);
        g_bIsInitComplete = true;
        if (!server.Listen(m_socket))
            return;
        InitKVOControler();
        if (!server.Accept(3000)) {
            std::fprintf(stderr, "bench_link: the link did not open the virtual receiver\n");
            return;
        }
        const uint8_t online[17] = {0x0A, 0x03};
        for (int i = 0; i < 150 && ExistingDeviceMgr() != nullptr &&
                        ExistingDeviceMgr()->GetStatus() != DEVICE_STATUS_CONNECTED;
             ++i) {
            server.SendReport(online, sizeof online);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        m_ok = ExistingDeviceMgr() != nullptr && ExistingDeviceMgr()->GetStatus() == DEVICE_STATUS_CONNECTED;
    }
    ~RunningLink()
    {
        ExitKVOControler();
        server.Close();
        g_bIsInitComplete = false;
        SetKVOControlerEnvironment({});
        platform::SetHidApi(nullptr);
        CPresenterService::DestroyInstance();
        ControllerSet::Destroy();
        std::error_code ec;
        std::filesystem::remove_all(std::filesystem::path(m_socket).parent_path(), ec);
    }
    bool Ok() const { return m_ok; }

    TimingKeyHandler keys;
    platform::VirtualReceiverServer server;

private:
    std::string m_socket;
    std::unique_ptr<platform::SystemHidApi> m_api;
    bool m_ok = false;
};

void BM_LinkReportToKeyHandler(benchmark::State& state)
{
    const int rate = static_cast<int>(state.range(0));
    const int reports = rate * 2;  // two seconds of traffic per run
    RunningLink link;
    if (!link.Ok()) {
        state.SkipWithError("the link did not connect to the virtual receiver");
        return;
    }
    std::vector<double> latencyUs;
    latencyUs.reserve(static_cast<size_t>(reports));
    uint8_t report[17] = {0x0A, 0x03, 0, 0, 4, 0, 3, 0xFD};
    for (auto _ : state) {
        latencyUs.clear();
        const bool allArrived = RunPaced(reports, rate, latencyUs, [&](int) {
            const uint64_t seen = link.keys.Calls();
            const auto sent = Clock::now();
            link.server.SendReport(report, sizeof report);
            Clock::time_point arrived;
            if (!link.keys.WaitNext(seen, &arrived))
                return -1.0;
            return std::chrono::duration<double, std::micro>(arrived - sent).count();
        });
        if (!allArrived)
            state.SkipWithError("report lost");
    }
    ReportLatency(state, latencyUs);
}
BENCHMARK(BM_LinkReportToKeyHandler)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LinkIdleCpu(benchmark::State& state)
{
    RunningLink link;
    if (!link.Ok()) {
        state.SkipWithError("the link did not connect to the virtual receiver");
        return;
    }
    const int seconds = static_cast<int>(state.range(0));
    const uint8_t online[17] = {0x0A, 0x03};
    uint8_t frame[64];
    size_t length = 0;
    double used = 0;
    for (auto _ : state) {
        const double before = ProcessCpuSeconds();
        for (int i = 0; i < seconds; ++i) {
            link.server.SendReport(online, sizeof online);
            // Reads the heartbeat frames as a receiver would, so they never back up.
            const auto end = Clock::now() + std::chrono::seconds(1);
            while (Clock::now() < end)
                link.server.ReceiveReport(frame, sizeof frame, &length, 100);
        }
        used = ProcessCpuSeconds() - before;
    }
    state.counters["cpu_percent_of_one_core"] = 100.0 * used / seconds;
}
BENCHMARK(BM_LinkIdleCpu)->Arg(10)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
