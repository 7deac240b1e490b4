// Receiver transport costs. Latency: from a report written into the virtual receiver's socket by
// the remote's side to its node being taken from the receive queue (reader thread, frame header,
// queue hand-over and the consumer's wake-up included), at a steady report rate.

#include "PacedLatency.h"
#include "KVODataQueueMgr.h"
#include "KVOFrameHeader.h"
#include "KVOHidThreadManager.h"
#include "KVOMemPool.h"
#include "KVOPhysicalDeviceTracker.h"
#include "SystemHidApi.h"
#include "VirtualReceiverServer.h"

#include <benchmark/benchmark.h>

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

void BM_HidReportToReceiveQueue(benchmark::State& state)
{
    const int rate = static_cast<int>(state.range(0));
    const int reports = rate * 2;  // two seconds of traffic per run
    const std::string socketPath = "/tmp/orvelle-bench-hid-" + std::to_string(::getpid()) + ".sock";

    Mem_CreatePool();
    CreateDataQueueMgr();
    platform::VirtualReceiverServer server;
    platform::SystemHidApi api(std::make_unique<platform::VirtualReceiver>(socketPath, 0x0178));
    platform::SetHidApi(&api);
    if (!server.Listen(socketPath) || InitHidManager() != 0 || !server.Accept(2000)) {
        state.SkipWithError("virtual receiver did not come up");
    } else {
        g_bLinkRunning = true;
        RingQueue* recvQ = GetDataQueue(KVO_RECV_QUEUE);
        StartHidThreads(GetDataQueue(KVO_SEND_QUEUE), recvQ);
        std::vector<double> latencyUs;
        latencyUs.reserve(static_cast<size_t>(reports));
        uint8_t report[17] = {0x0A, 0x03};

        for (auto _ : state) {
            latencyUs.clear();
            const bool allArrived = RunPaced(reports, rate, latencyUs, [&](int i) {
                const auto sent = Clock::now();
                report[6] = static_cast<uint8_t>(i);
                server.SendReport(report, sizeof report);
                pMemNode node = nullptr;
                int count = 0;
                DeRingQTimed(recvQ, &node, 1, &count, 1000);
                if (count != 1)
                    return -1.0;
                const double us = std::chrono::duration<double, std::micro>(Clock::now() - sent).count();
                Mem_Free(node, __FILE__, __func__, __LINE__);
                return us;
            });
            if (!allArrived)
                state.SkipWithError("report lost");
        }
        StopHidThreads();
        g_bLinkRunning = false;
        ReportLatency(state, latencyUs);
    }
    g_commandhid.Clear();
    platform::SetHidApi(nullptr);
    server.Close();
    DestroyDataQueueMgr();
    Mem_DestroyPool();
}
// CPU of the transport with no receiver: the reader waiting for one, the writer waiting for
// frames, the hot-plug monitor listening and polling for the virtual receiver's socket.
void BM_HidIdleCpu(benchmark::State& state)
{
    Mem_CreatePool();
    CreateDataQueueMgr();
    platform::SystemHidApi api(std::make_unique<platform::VirtualReceiver>(
        "/tmp/orvelle-bench-absent-" + std::to_string(::getpid()) + ".sock", 0x0178));
    platform::SetHidApi(&api);
    {
        KVOPhysicalDeviceTracker tracker(api, platform::CreateHidMonitor(api, KVO_VENDOR_ID), nullptr);
        tracker.Start();
        SetKVOPhysicalDeviceTracker(&tracker);
        g_bLinkRunning = true;
        StartHidThreads(GetDataQueue(KVO_SEND_QUEUE), GetDataQueue(KVO_RECV_QUEUE));
        const double seconds = static_cast<double>(state.range(0));
        double used = 0;
        for (auto _ : state) {
            const double before = ProcessCpuSeconds();
            std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
            used = ProcessCpuSeconds() - before;
        }
        state.counters["cpu_percent_of_one_core"] = 100.0 * used / seconds;
        StopHidThreads();
        g_bLinkRunning = false;
        tracker.StopMonitor();
        SetKVOPhysicalDeviceTracker(nullptr);
    }
    platform::SetHidApi(nullptr);
    DestroyDataQueueMgr();
    Mem_DestroyPool();
}
BENCHMARK(BM_HidIdleCpu)->Arg(10)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

BENCHMARK(BM_HidReportToReceiveQueue)->Arg(125)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
