#include "KVORingQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

struct QueueHolder {
    explicit QueueHolder(int capacity) { EXPECT_EQ(CreateRingQ(capacity, &q, 7), 0); }
    ~QueueHolder() { DestroyRingQ(q); }
    RingQueue* q = nullptr;
};

MemNode g_nodes[16];

} // namespace

TEST(RingQueue, CapacityMustBeAPositivePowerOfTwo)
{
    RingQueue* q = reinterpret_cast<RingQueue*>(0x1);
    EXPECT_EQ(CreateRingQ(6, &q, 0), 1);
    EXPECT_EQ(q, nullptr);
    EXPECT_EQ(CreateRingQ(0, &q, 0), 1);
    EXPECT_EQ(CreateRingQ(-4, &q, 0), 1);
    ASSERT_EQ(CreateRingQ(8, &q, 0), 0);
    DestroyRingQ(q);
}

TEST(RingQueue, NonWaitingPutRefusesTheFifthNodeAndKeepsFifoOrder)
{
    QueueHolder h(4);
    EXPECT_TRUE(RingQIsEmpty(h.q));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(EnRingQ(h.q, &g_nodes[i]), 0);
    EXPECT_TRUE(RingQIsFull(h.q));
    EXPECT_EQ(RingQCount(h.q), 4);
    EXPECT_EQ(EnRingQ(h.q, &g_nodes[4]), 1);

    pMemNode out[8] = {};
    int count = 0;
    EXPECT_EQ(DeRingQ(h.q, out, 3, &count), 0);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(out[0], &g_nodes[0]);
    EXPECT_EQ(out[1], &g_nodes[1]);
    EXPECT_EQ(out[2], &g_nodes[2]);
    EXPECT_EQ(RingQCount(h.q), 1);

    EXPECT_EQ(DeRingQ(h.q, out, 8, &count), 0);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(out[0], &g_nodes[3]);
    EXPECT_EQ(DeRingQ(h.q, out, 8, &count), 1);
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(RingQIsEmpty(h.q));
}

TEST(RingQueue, CountStaysRightAcrossTheIndexWrap)
{
    QueueHolder h(4);
    pMemNode out[4];
    int count = 0;
    for (int round = 0; round < 10; ++round) {
        EXPECT_EQ(EnRingQ(h.q, &g_nodes[0]), 0);
        EXPECT_EQ(EnRingQ(h.q, &g_nodes[1]), 0);
        EXPECT_EQ(EnRingQ(h.q, &g_nodes[2]), 0);
        EXPECT_EQ(RingQCount(h.q), 3);
        DeRingQ(h.q, out, 2, &count);
        EXPECT_EQ(RingQCount(h.q), 1);
        DeRingQ(h.q, out, 4, &count);
        EXPECT_EQ(out[0], &g_nodes[2]);
        EXPECT_EQ(RingQCount(h.q), 0);
    }
}

TEST(RingQueue, WaitingPutBlocksWhileFullUntilAGetMakesRoom)
{
    QueueHolder h(4);
    for (int i = 0; i < 4; ++i)
        EnRingQWait(h.q, &g_nodes[i]);

    std::atomic<bool> stored{false};
    std::thread producer([&] {
        EnRingQWait(h.q, &g_nodes[4]);
        stored = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(stored.load());

    pMemNode out[1];
    int count = 0;
    DeRingQ(h.q, out, 1, &count);
    producer.join();
    EXPECT_TRUE(stored.load());
    EXPECT_EQ(RingQCount(h.q), 4);

    pMemNode all[4];
    DeRingQWait(h.q, all, 4, &count);
    ASSERT_EQ(count, 4);
    EXPECT_EQ(all[3], &g_nodes[4]);
}

TEST(RingQueue, WaitingGetSleepsUntilANodeArrives)
{
    QueueHolder h(8);
    pMemNode out[8];
    int count = -1;
    std::thread consumer([&] { DeRingQWait(h.q, out, 8, &count); });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(count, -1);
    EnRingQWait(h.q, &g_nodes[5]);
    consumer.join();
    EXPECT_EQ(count, 1);
    EXPECT_EQ(out[0], &g_nodes[5]);
}

TEST(RingQueue, TimedGetReturnsEmptyHandedAfterItsLimit)
{
    QueueHolder h(8);
    pMemNode out[8];
    int count = -1;
    const auto start = std::chrono::steady_clock::now();
    DeRingQTimed(h.q, out, 8, &count, 120);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(110));
    EXPECT_EQ(count, 0);
}

TEST(RingQueue, TimedGetWithZeroLimitWaitsForANode)
{
    QueueHolder h(8);
    pMemNode out[8];
    int count = -1;
    std::thread consumer([&] { DeRingQTimed(h.q, out, 8, &count, 0); });
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_EQ(count, -1);
    EnRingQWait(h.q, &g_nodes[6]);
    consumer.join();
    EXPECT_EQ(count, 1);
    EXPECT_EQ(out[0], &g_nodes[6]);
}
