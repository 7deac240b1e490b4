// Proves that a warm pool carries log lines without touching the heap, on the caller's side
// and in the writer thread alike.

#include "AllocationCounter.h"
#include "KVODataQueueMgr.h"
#include "KVOLog.h"
#include "KVOMemPool.h"
#include "KVORingQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <new>
#include <thread>
#include <vector>

namespace {

// Counts bytes and lines without storing them, so the sink itself needs no memory.
class CountingSink final : public ILogSink {
public:
    void SetSource(const char*, int) override {}
    void Append(const char* data, size_t len) override
    {
        bytes += static_cast<long>(len);
        if (len >= 2 && data[len - 2] == '\r' && data[len - 1] == '\n')
            ++lines;
    }
    void Flush() override {}
    std::atomic<long> bytes{0};
    std::atomic<long> lines{0};
};

void WaitForLines(const CountingSink& sink, long n)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (sink.lines.load() < n && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

} // namespace

TEST(LogAllocation, WarmPoolCarriesLinesWithoutHeapAllocation)
{
    ASSERT_EQ(Mem_CreatePool(), 0);
    ASSERT_EQ(CreateDataQueueMgr(), 0);
    SetLogLevelFilter(KVO_LOG_DEBUG);
    CountingSink sink;
    ASSERT_EQ(StartLogWriter(&sink), 0);

    // Warm up: more log nodes than can ever be in use at once (a full queue, one batch in the
    // writer, one per caller), then a burst that fills the queue and the time caches.
    {
        std::vector<pMemNode> nodes(LOG_BATCH + 128 + 40);
        for (auto& node : nodes)
            ASSERT_EQ(Mem_Alloc(&node, LOG_NODE_SIZE, __FILE__), MEM_OK);
        for (auto node : nodes)
            Mem_Free(node, __FILE__, __func__, __LINE__);
    }
    for (int i = 0; i < 1000; ++i)
        WriteLog(KVO_LOG_INFO, "warm-up line %d of %s", i, "the pool");
    WaitForLines(sink, 1000);
    ASSERT_EQ(sink.lines.load(), 1000);

    g_allocations = 0;
    g_counting = true;
    for (int i = 0; i < 1000; ++i)
        WriteLog(KVO_LOG_INFO, "steady line %d of %s", i, "the pool");
    WaitForLines(sink, 2000);
    g_counting = false;

    EXPECT_EQ(sink.lines.load(), 2000);
    EXPECT_EQ(g_allocations.load(), 0);

    CloseLogWriter();
    DestroyDataQueueMgr();
    Mem_DestroyPool();
}
