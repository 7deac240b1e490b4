// The node pool of the effects' motion queues, and the queue itself.

// First: the link's ring queue has a member named like a Qt keyword macro.
#include "PoolFixture.h"

#include "CNodePool.h"
#include "EffectMotionQueue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

TEST(NodePool, NodesGrowToTheLargestSizeAskedAndAreReusedClean)
{
    CNodePool pool;
    PoolNode* small = pool.Allocate(8);
    ASSERT_NE(small, nullptr);
    EXPECT_GE(small->capacity, 8u);
    small->used = 8;
    small->exit_tag = 1;
    pool.Release(small);

    // A larger request raises the size of every node handed out from now on.
    PoolNode* large = pool.Allocate(64);
    ASSERT_EQ(large, small); // the freed node is taken again, its block grown
    EXPECT_GE(large->capacity, 64u);
    EXPECT_EQ(large->used, 0u);
    EXPECT_EQ(large->exit_tag, 0);
    pool.Release(large);
    PoolNode* again = pool.Allocate(4);
    EXPECT_GE(again->capacity, 64u);
    EXPECT_EQ(pool.NodeDataSize(), 64u);
    pool.Release(again);
    EXPECT_EQ(pool.FreeCount(), 1u);
}

TEST(NodePool, CloseFreesTheFreeListAndRefusesNewNodes)
{
    CNodePool pool;
    PoolNode* a = pool.Allocate(16);
    PoolNode* b = pool.Allocate(16);
    pool.Release(a);
    pool.Close();
    EXPECT_EQ(pool.FreeCount(), 0u);
    EXPECT_EQ(pool.Allocate(16), nullptr);
    // A node that was out while the pool closed is deleted on its return, not kept.
    pool.Release(b);
    EXPECT_EQ(pool.FreeCount(), 0u);
}

// A full motion queue drops the move and logs it; waiting pushes get through once there is room.
class MotionQueue : public PoolFixture {};

TEST_F(MotionQueue, MoveFindingTheQueueFullIsDroppedAndLogged)
{
    MemorySink sink;
    ASSERT_EQ(StartLogWriter(&sink), 0);
    std::mutex m;
    std::condition_variable cv;
    bool release = false;
    std::atomic<int> handled{0};
    {
        EffectMotionQueue queue(2, 16, [&](const uint8_t*, uint32_t) {
            std::unique_lock lock(m);
            cv.wait(lock, [&] { return release; });
            ++handled;
        });
        queue.Start();
        const int32_t point[2] = {1, 2};
        EXPECT_TRUE(queue.Push(point, sizeof point, false));
        // The worker holds the first; two more fill the queue.
        while (queue.Size() != 0)
            std::this_thread::yield();
        EXPECT_TRUE(queue.Push(point, sizeof point, false));
        EXPECT_TRUE(queue.Push(point, sizeof point, false));
        EXPECT_FALSE(queue.Push(point, sizeof point, false));
        {
            std::lock_guard lock(m);
            release = true;
        }
        cv.notify_all();
        EXPECT_TRUE(queue.Push(point, sizeof point, true));
    } // the worker drains what is queued and ends
    EXPECT_EQ(handled.load(), 4);
    CloseLogWriter();
    const auto lines = sink.Lines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.find("****** CPresenterPostil offer size:2") != std::string::npos; }),
              1);
}
