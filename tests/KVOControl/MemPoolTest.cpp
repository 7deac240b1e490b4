#include "PoolFixture.h"

#include "DebugOutput.h"
#include "KVOMemPool.h"

#include <algorithm>
#include <vector>

using MemPool = PoolFixture;

TEST_F(MemPool, RequestGoesToTheFirstClassThatHoldsIt)
{
    pMemNode node = nullptr;
    ASSERT_EQ(Mem_Alloc(&node, 129, __FILE__), MEM_OK);
    EXPECT_EQ(node->nMemSizeIndex, 1);
    EXPECT_EQ(node->size, 256);
    EXPECT_EQ(node->data_len, 129);
    EXPECT_EQ(node->data, node->buffer);
    EXPECT_EQ(Mem_Free(node, __FILE__, __func__, __LINE__), 0);

    for (int size : {-5, 0, 128}) {
        ASSERT_EQ(Mem_Alloc(&node, size, __FILE__), MEM_OK);
        EXPECT_EQ(node->nMemSizeIndex, 0) << size;
        Mem_Free(node, __FILE__, __func__, __LINE__);
    }
    EXPECT_EQ(Mem_ClassForSize(641), 4);
    EXPECT_EQ(Mem_ClassForSize(52428800), 20);

    EXPECT_EQ(Mem_Alloc(&node, 52428801, __FILE__), MEM_ERR_TOO_LARGE);
    EXPECT_EQ(node, nullptr);
}

TEST_F(MemPool, ANewNodeIsZeroedAndSerialsGrow)
{
    pMemNode a = nullptr;
    pMemNode b = nullptr;
    ASSERT_EQ(Mem_Alloc(&a, 600, __FILE__), MEM_OK);
    ASSERT_EQ(Mem_Alloc(&b, 600, __FILE__), MEM_OK);
    EXPECT_TRUE(std::all_of(a->buffer, a->buffer + a->size, [](char c) { return c == 0; }));
    EXPECT_GT(b->serial, a->serial);
    EXPECT_EQ(a->stop_tag, 0);
    Mem_Free(a, __FILE__, __func__, __LINE__);
    Mem_Free(b, __FILE__, __func__, __LINE__);
}

TEST_F(MemPool, ExhaustedClassAnswersFiveUntilANodeReturns)
{
    std::vector<pMemNode> taken(8192);
    for (auto& node : taken)
        ASSERT_EQ(Mem_Alloc(&node, 64, __FILE__), MEM_OK);
    pMemNode extra = nullptr;
    EXPECT_EQ(Mem_Alloc(&extra, 100, __FILE__), MEM_ERR_EXHAUSTED);
    EXPECT_EQ(extra, nullptr);
    EXPECT_EQ(Mem_CreatedCount(0), 8192);

    // Other classes are not affected.
    ASSERT_EQ(Mem_Alloc(&extra, 200, __FILE__), MEM_OK);
    Mem_Free(extra, __FILE__, __func__, __LINE__);

    Mem_Free(taken[10], __FILE__, __func__, __LINE__);
    ASSERT_EQ(Mem_Alloc(&extra, 100, __FILE__), MEM_OK);
    EXPECT_EQ(extra, taken[10]);
    taken[10] = extra;
    for (auto node : taken)
        EXPECT_EQ(Mem_Free(node, __FILE__, __func__, __LINE__), 0);
    EXPECT_EQ(Mem_FreeCount(0), 8192);
}

TEST_F(MemPool, FreedNodesComeBackInFreeOrderBeforeAnyNewNode)
{
    pMemNode nodes[3];
    for (auto& node : nodes)
        ASSERT_EQ(Mem_Alloc(&node, 300, __FILE__), MEM_OK);
    const int created = Mem_CreatedCount(2);

    // Move each data pointer, as a user parsing a frame would, and free in a shuffled order.
    for (auto node : nodes)
        node->data += 17;
    Mem_Free(nodes[2], __FILE__, __func__, __LINE__);
    Mem_Free(nodes[0], __FILE__, __func__, __LINE__);
    Mem_Free(nodes[1], __FILE__, __func__, __LINE__);

    const pMemNode expected[3] = {nodes[2], nodes[0], nodes[1]};
    for (pMemNode want : expected) {
        pMemNode got = nullptr;
        ASSERT_EQ(Mem_Alloc(&got, 400, __FILE__), MEM_OK);
        EXPECT_EQ(got, want);
        EXPECT_EQ(got->data, got->buffer);
        EXPECT_EQ(got->data_len, 400);
        EXPECT_EQ(got->in_pool, 0);
    }
    EXPECT_EQ(Mem_CreatedCount(2), created);
    for (auto node : nodes)
        Mem_Free(node, __FILE__, __func__, __LINE__);
}

TEST_F(MemPool, FreeingTwiceIsRefusedSoNoNodeIsHandedOutTwice)
{
    pMemNode node = nullptr;
    ASSERT_EQ(Mem_Alloc(&node, 10, __FILE__), MEM_OK);
    EXPECT_EQ(Mem_Free(node, __FILE__, __func__, __LINE__), 0);
    EXPECT_EQ(Mem_Free(node, __FILE__, __func__, __LINE__), 1);
    EXPECT_EQ(Mem_Free(nullptr, __FILE__, __func__, __LINE__), 1);

    pMemNode a = nullptr;
    pMemNode b = nullptr;
    ASSERT_EQ(Mem_Alloc(&a, 10, __FILE__), MEM_OK);
    ASSERT_EQ(Mem_Alloc(&b, 10, __FILE__), MEM_OK);
    EXPECT_NE(a, b);
    Mem_Free(a, __FILE__, __func__, __LINE__);
    Mem_Free(b, __FILE__, __func__, __LINE__);
}

namespace {
std::string g_debugText;
void CollectDebug(std::string_view text) { g_debugText.append(text); }
} // namespace

TEST_F(MemPool, CreatingANodeIsReportedOnTheDebugChannel)
{
    g_debugText.clear();
    platform::SetDebugOutputTap(&CollectDebug);
    pMemNode node = nullptr;
    ASSERT_EQ(Mem_Alloc(&node, 3000, __FILE__), MEM_OK);
    Mem_Free(node, __FILE__, __func__, __LINE__);
    ASSERT_EQ(Mem_Alloc(&node, 3000, __FILE__), MEM_OK);  // reused: no report
    Mem_Free(node, __FILE__, __func__, __LINE__);
    platform::SetDebugOutputTap(nullptr);
    EXPECT_EQ(g_debugText,
              "Mem_Alloc Test mem_queue_count：8192 init_count:0 nDataCount:0 nMemSizeIndex:5 \r\n");
}

TEST_F(MemPool, AllocBeforeThePoolExistsFails)
{
    Mem_DestroyPool();
    pMemNode node = nullptr;
    EXPECT_NE(Mem_Alloc(&node, 10, __FILE__), MEM_OK);
    EXPECT_EQ(node, nullptr);
    ASSERT_EQ(Mem_CreatePool(), 0);
}

TEST(DataQueues, TwentyTwoQueuesWithTheirCapacitiesExistOnlyBetweenCreateAndDestroy)
{
    EXPECT_EQ(GetDataQueue(KVO_LOG_QUEUE), nullptr);
    ASSERT_EQ(CreateDataQueueMgr(), 0);
    for (int i = 0; i < DATA_QUEUE_COUNT; ++i) {
        RingQueue* q = GetDataQueue(i);
        ASSERT_NE(q, nullptr);
        EXPECT_EQ(q->capacity, DataQueueCapacity(i));
    }
    EXPECT_EQ(DataQueueCapacity(KVO_SEND_QUEUE), 128);
    EXPECT_EQ(DataQueueCapacity(1), 8);
    EXPECT_EQ(DataQueueCapacity(11), 1024);
    EXPECT_EQ(DataQueueCapacity(14), 4);
    EXPECT_EQ(DataQueueCapacity(21), 4096);
    EXPECT_EQ(GetDataQueue(22), nullptr);
    DestroyDataQueueMgr();
    EXPECT_EQ(GetDataQueue(KVO_RECV_QUEUE), nullptr);
}
