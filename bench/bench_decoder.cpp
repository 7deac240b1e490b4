// Report decoding costs. Latency: from a report node put into the receive queue (as the HID
// reader does) to its motion record being taken from the motion queue (as the cursor-motion
// thread does), through the running receive thread, at a steady report rate. Also counts heap
// allocations per report once the link is connected and warmed up; the target is none.

#include "AllocationCounter.h"
#include "PacedLatency.h"
#include "ControllerSet.h"
#include "KVODataQueueMgr.h"
#include "KVOFrameHeader.h"
#include "KVOHidThreadManager.h"
#include "KVOLog.h"
#include "KVOMemPool.h"
#include "KVOReportDecoder.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <new>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

class NullSink final : public ILogSink {
public:
    void SetSource(const char*, int) override {}
    void Append(const char*, size_t) override {}
    void Flush() override {}
};

pMemNode ReportNode(int8_t dx)
{
    pMemNode node = nullptr;
    if (Mem_Alloc(&node, 1024, __FILE__) != MEM_OK)
        return nullptr;
    KVOFrameHeader header;
    header.source = KVO_LINK_HID;
    WriteFrameHeader(node, header);
    uint8_t* report = FrameReport(node);
    std::memset(report, 0, 16);
    report[0] = KVO_REPORT_ID;
    report[KVO_REPORT_STATUS] = KVO_STATUS_ONLINE | KVO_STATUS_PRESENTER;
    report[KVO_REPORT_KEY] = 4;
    report[KVO_REPORT_DX] = static_cast<uint8_t>(dx);
    node->data_len = KVO_FRAME_HEADER_SIZE + 16;
    return node;
}

void BM_ReceiveQueueToMotionQueue(benchmark::State& state)
{
    const int rate = static_cast<int>(state.range(0));
    const int reports = rate * 2;  // two seconds of traffic per run

    Mem_CreatePool();
    CreateDataQueueMgr();
    NullSink sink;
    SetLogLevelFilter(KVO_LOG_INFO);
    StartLogWriter(&sink);
    DeviceMgr& deviceMgr = ControllerSet::Instance().GetDeviceMgr();
    deviceMgr.StartThread();
    g_bIsInitComplete = true;
    g_bLinkRunning = true;
    RingQueue* recvQ = GetDataQueue(KVO_RECV_QUEUE);
    std::thread decoder(ThreadRecvCmdFunc, recvQ);
    ObjectManager& motion = MovePosQueue();

    // Connect and let the first records and commands go through.
    for (int i = 0; i < 20; ++i) {
        EnRingQWait(recvQ, ReportNode(0));
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        while (cmdInfo* record = motion.pollObj(0))
            motion.releaseObj(record);
    }

    std::vector<double> latencyUs;
    latencyUs.reserve(static_cast<size_t>(reports));
    long allocations = 0;
    long counted = 0;
    for (auto _ : state) {
        latencyUs.clear();
        const bool allArrived = RunPaced(reports, rate, latencyUs, [&](int i) {
            pMemNode node = ReportNode(static_cast<int8_t>(i));
            const auto sent = Clock::now();
            g_allocations = 0;
            g_counting = true;
            EnRingQWait(recvQ, node);
            cmdInfo* record = motion.pollObj(1000);
            g_counting = false;
            if (record == nullptr)
                return -1.0;
            const double us = std::chrono::duration<double, std::micro>(Clock::now() - sent).count();
            allocations += g_allocations.load();
            ++counted;
            motion.releaseObj(record);
            return us;
        });
        if (!allArrived)
            state.SkipWithError("report lost");
    }

    pMemNode stop = nullptr;
    Mem_Alloc(&stop, 128, __FILE__);
    stop->stop_tag = 1;
    EnRingQWait(recvQ, stop);
    decoder.join();
    g_bLinkRunning = false;
    ControllerSet::Destroy();
    CloseLogWriter();
    DestroyDataQueueMgr();
    Mem_DestroyPool();

    ReportLatency(state, latencyUs);
    state.counters["allocs_per_report"] = counted > 0 ? static_cast<double>(allocations) / counted : 0.0;
}

BENCHMARK(BM_ReceiveQueueToMotionQueue)->Arg(125)->Arg(500)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
