#include "Event.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

using platform::Event;

TEST(Event, ManualResetReleasesEveryWaiterAndStaysSet)
{
    Event event(true, false);
    std::atomic<int> released{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i)
        waiters.emplace_back([&] {
            event.Wait();
            ++released;
        });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(released.load(), 0);
    event.Set();
    for (auto& t : waiters)
        t.join();
    EXPECT_EQ(released.load(), 3);
    EXPECT_TRUE(event.IsSet());
    EXPECT_TRUE(event.Wait(0));
    event.Reset();
    EXPECT_FALSE(event.Wait(0));
}

TEST(Event, AutoResetIsConsumedByOneWait)
{
    Event event(false, true);
    EXPECT_TRUE(event.Wait(0));
    EXPECT_FALSE(event.Wait(0));

    std::atomic<int> released{0};
    std::thread a([&] { released += event.Wait(300) ? 1 : 0; });
    std::thread b([&] { released += event.Wait(300) ? 1 : 0; });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    event.Set();
    a.join();
    b.join();
    EXPECT_EQ(released.load(), 1);
}

TEST(Event, TimedWaitGivesUpAfterItsLimit)
{
    Event event;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(event.Wait(50));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(45));
}
