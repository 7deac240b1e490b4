// CPU of the link's side while the receiver's node also carries a mouse collection: a fake
// device delivers 1000 mouse reports (id 0x01) a second beside the receiver's 125 (id 0x0A) to the
// real reader, and a consumer takes the queued reports as the decoder would. The sending
// thread's own CPU is taken out, so the figure is the program's: reader and consumer.
// Args: seconds, mouse reports a second (0: the receiver's reports alone, the figure to compare).
//   build/bench/bench_other_reports

#include "FakeHid.h"
#include "KVODataQueueMgr.h"
#include "KVOHidThreadManager.h"
#include "KVOMemPool.h"
#include "PacedLatency.h"

#include <benchmark/benchmark.h>

#include <time.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

double ThreadCpuSeconds()
{
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

void BM_OtherReportsCpu(benchmark::State& state)
{
    // One tick a millisecond; the receiver reports on every eighth (125 a second) and the mouse
    // collection on every tick when it sends at all.
    constexpr int kTickRate = 1000;
    constexpr int kTicksPerReceiverReport = 8;
    const bool mouse = state.range(1) > 0;

    Mem_CreatePool();
    CreateDataQueueMgr();
    FakeHidApi fake;
    platform::SetHidApi(&fake);
    auto device = fake.AddInterface(ReceiverInterface(0x0178, "/dev/hidraw0"));
    if (InitHidManager() != 0) {
        state.SkipWithError("fake receiver did not open");
    } else {
        g_bLinkRunning = true;
        RingQueue* recvQ = GetDataQueue(KVO_RECV_QUEUE);
        StartHidThreads(GetDataQueue(KVO_SEND_QUEUE), recvQ);
        std::atomic<bool> consuming{true};
        std::atomic<long> taken{0};
        std::thread consumer([&] {
            pMemNode nodes[64];
            while (consuming.load()) {
                int count = 0;
                DeRingQTimed(recvQ, nodes, 64, &count, 100);
                for (int i = 0; i < count; ++i)
                    Mem_Free(nodes[i], __FILE__, __func__, __LINE__);
                taken += count;
            }
        });
        const double seconds = static_cast<double>(state.range(0));
        const long ticks = static_cast<long>(seconds * kTickRate);
        double used = 0;
        long sentOurs = 0;
        for (auto _ : state) {
            double senderCpu = 0;
            const double before = ProcessCpuSeconds();
            std::thread sender([&] {
                const double cpu0 = ThreadCpuSeconds();
                timespec next{};
                ::clock_gettime(CLOCK_MONOTONIC, &next);
                for (long i = 0; i < ticks; ++i) {
                    if (mouse)
                        device->PushInput({0x01, 0x00, 0x02, 0x00, 0xFF, 0xFF, 0x00, 0x00});
                    if (i % kTicksPerReceiverReport == 0) {
                        Bytes ours(17, 0);
                        ours[0] = 0x0A;
                        ours[1] = 0x03;
                        ours[6] = static_cast<uint8_t>(i);
                        device->PushInput(std::move(ours));
                        ++sentOurs;
                    }
                    next.tv_nsec += 1000000000L / kTickRate;
                    if (next.tv_nsec >= 1000000000L) {
                        next.tv_nsec -= 1000000000L;
                        ++next.tv_sec;
                    }
                    ::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
                }
                senderCpu = ThreadCpuSeconds() - cpu0;
            });
            sender.join();
            used = ProcessCpuSeconds() - before - senderCpu;
        }
        // Let the last reports through before counting them.
        for (int i = 0; i < 100 && taken.load() < sentOurs; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (taken.load() != sentOurs)
            state.SkipWithError("receiver reports lost");
        consuming = false;
        consumer.join();
        StopHidThreads();
        g_bLinkRunning = false;
        state.counters["cpu_percent_of_one_core"] = 100.0 * used / seconds;
        state.counters["receiver_reports"] = static_cast<double>(taken.load());
    }
    g_commandhid.Clear();
    platform::SetHidApi(nullptr);
    DestroyDataQueueMgr();
    Mem_DestroyPool();
}
BENCHMARK(BM_OtherReportsCpu)->Args({10, 1000})->Args({10, 0})->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
