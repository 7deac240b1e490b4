// Costs on the link's hot paths: pool, ring queue hand-over between threads, a log call.

#include "KVODataQueueMgr.h"
#include "KVOLog.h"
#include "KVOMemPool.h"
#include "KVORingQueue.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

struct Link {
    Link()
    {
        Mem_CreatePool();
        CreateDataQueueMgr();
    }
    ~Link()
    {
        CloseLogWriter();
        DestroyDataQueueMgr();
        Mem_DestroyPool();
    }
};

class NullSink final : public ILogSink {
public:
    void SetSource(const char*, int) override {}
    void Append(const char*, size_t len) override { bytes += len; }
    void Flush() override {}
    size_t bytes = 0;
};

void BM_MemAllocFreeWarm(benchmark::State& state)
{
    Link link;
    pMemNode node = nullptr;
    Mem_Alloc(&node, 200, __FILE__);
    Mem_Free(node, __FILE__, __func__, __LINE__);
    for (auto _ : state) {
        Mem_Alloc(&node, 200, __FILE__);
        benchmark::DoNotOptimize(node);
        Mem_Free(node, __FILE__, __func__, __LINE__);
    }
}
BENCHMARK(BM_MemAllocFreeWarm);

// One node goes to a second thread and comes back, both sides using the waiting forms.
void BM_RingQueueRoundTrip(benchmark::State& state)
{
    Link link;
    RingQueue* there = nullptr;
    RingQueue* back = nullptr;
    CreateRingQ(128, &there, 1);
    CreateRingQ(128, &back, 2);
    pMemNode node = nullptr;
    Mem_Alloc(&node, 64, __FILE__);
    std::thread echo([&] {
        pMemNode got[1];
        int count = 0;
        for (;;) {
            DeRingQWait(there, got, 1, &count);
            const bool stop = got[0]->stop_tag == 1;
            EnRingQWait(back, got[0]);
            if (stop)
                return;
        }
    });
    pMemNode got[1];
    int count = 0;
    for (auto _ : state) {
        EnRingQWait(there, node);
        DeRingQWait(back, got, 1, &count);
    }
    node->stop_tag = 1;
    EnRingQWait(there, node);
    DeRingQWait(back, got, 1, &count);
    echo.join();
    node->stop_tag = 0;
    Mem_Free(node, __FILE__, __func__, __LINE__);
    DestroyRingQ(there);
    DestroyRingQ(back);
}
BENCHMARK(BM_RingQueueRoundTrip)->UseRealTime();

// The caller's cost of one line while the writer thread runs. Lines go out in bursts smaller
// than the queue and the burst waits for the writer between rounds, so the figure is the
// caller's own work, not the writer's pace. Reports the median and the 99th percentile.
void BM_WriteLogCallerSide(benchmark::State& state)
{
    Link link;
    NullSink sink;
    SetLogLevelFilter(KVO_LOG_INFO);
    StartLogWriter(&sink);
    constexpr int kBurst = 64;
    for (int i = 0; i < 4 * kBurst; ++i)
        WriteLog(KVO_LOG_INFO, "warm-up %d", i);

    std::vector<double> samples;
    samples.reserve(1 << 20);
    int inBurst = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        WriteLog(KVO_LOG_INFO, "FunctionMgr::PushCmd() cmdId:%d devType:%d x:%d y:%d", 10003, 0, 960, 540);
        const auto end = std::chrono::steady_clock::now();
        const double seconds = std::chrono::duration<double>(end - start).count();
        state.SetIterationTime(seconds);
        if (samples.size() < samples.capacity())
            samples.push_back(seconds * 1e9);
        if (++inBurst == kBurst) {
            inBurst = 0;
            while (RingQCount(GetDataQueue(KVO_LOG_QUEUE)) > 0)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    }
    if (!samples.empty()) {
        std::sort(samples.begin(), samples.end());
        state.counters["median_ns"] = samples[samples.size() / 2];
        state.counters["p99_ns"] = samples[samples.size() * 99 / 100];
    }
}
BENCHMARK(BM_WriteLogCallerSide)->UseManualTime()->Iterations(20000);

} // namespace

BENCHMARK_MAIN();
