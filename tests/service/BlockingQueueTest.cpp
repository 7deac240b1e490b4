#include "BlockingQueue.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

namespace {

int a = 1, b = 2, c = 3;

TEST(BlockingQueueTest, NullIsNeverStoredAndWakesNoConsumer)
{
    BlockingQueue<int> q(2);
    q.offer(nullptr);
    EXPECT_EQ(q.offer(nullptr, 100), 0);
    EXPECT_EQ(q.size(), 0);
    EXPECT_EQ(q.poll(20), nullptr);
}

TEST(BlockingQueueTest, ZeroWaitFormsAnswerAtOnce)
{
    BlockingQueue<int> q(2);
    EXPECT_EQ(q.poll(0), nullptr);
    EXPECT_EQ(q.offer(&a, 0), 0);
    EXPECT_EQ(q.offer(&b, 0), 0);
    EXPECT_EQ(q.offer(&c, 0), 1);  // full: not stored
    EXPECT_EQ(q.size(), 2);
    EXPECT_EQ(q.poll(0), &a);
    EXPECT_EQ(q.take(), &b);
    EXPECT_EQ(q.poll(0), nullptr);
}

TEST(BlockingQueueTest, TimedOfferOnFullQueueGivesUpWhenNobodyTakes)
{
    BlockingQueue<int> q(1);
    q.offer(&a);
    EXPECT_EQ(q.offer(&b, 30), 1);
    EXPECT_EQ(q.size(), 1);
    EXPECT_EQ(q.take(), &a);
}

TEST(BlockingQueueTest, TimedOfferSucceedsWhenConsumerMakesRoom)
{
    BlockingQueue<int> q(1);
    q.offer(&a);
    auto consumer = std::async(std::launch::async, [&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return q.take();
    });
    EXPECT_EQ(q.offer(&b, 10000), 0);
    EXPECT_EQ(consumer.get(), &a);
    EXPECT_EQ(q.take(), &b);
}

TEST(BlockingQueueTest, PollWaitsForAProducer)
{
    BlockingQueue<int> q(4);
    auto producer = std::async(std::launch::async, [&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        q.offer(&c);
    });
    EXPECT_EQ(q.poll(10000), &c);
    producer.get();
}

TEST(BlockingQueueTest, BlockingOfferWaitsForRoomAndKeepsOrder)
{
    BlockingQueue<int> q(1);
    q.offer(&a);
    auto producer = std::async(std::launch::async, [&] {
        q.offer(&b);  // waits until the consumer takes a
        q.offer(&c);
    });
    EXPECT_EQ(q.take(), &a);
    EXPECT_EQ(q.take(), &b);
    EXPECT_EQ(q.take(), &c);
    producer.get();
    EXPECT_EQ(q.size(), 0);
}

} // namespace
