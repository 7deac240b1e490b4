// The node pool of the effects' motion queues.

#include "CNodePool.h"

#include <gtest/gtest.h>

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
