// Reaching the UI thread: calls from workers, waiting calls, calls made on the UI thread itself,
// and the coalescing post that hands the UI thread only the newest value.

#include <QCoreApplication>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

#include "UiCoalescingPost.h"
#include "UiThread.h"

TEST(UiThread, CallsFromAWorkerRunOnTheUiThreadAndAWaitingCallReturnsAfterItRan)
{
    const std::thread::id ui = std::this_thread::get_id();
    EXPECT_TRUE(IsUiThread());
    std::thread::id postedRanOn;
    bool workerOnUiThread = true;
    std::thread poster([&] {
        workerOnUiThread = IsUiThread();
        CallOnUiThread([&] { postedRanOn = std::this_thread::get_id(); }, false);
    });
    poster.join();
    EXPECT_FALSE(workerOnUiThread);
    QCoreApplication::processEvents();
    EXPECT_EQ(postedRanOn, ui);

    // The UI thread sleeps in its event loop until the waiting call wakes it, as in the program.
    std::thread::id waitedRanOn;
    std::atomic<bool> ran{false};
    bool ranBeforeReturn = false;
    std::thread waiter([&] {
        CallOnUiThread(
            [&] {
                waitedRanOn = std::this_thread::get_id();
                ran = true;
            },
            true);
        ranBeforeReturn = ran.load();
    });
    while (!ran.load())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    waiter.join();
    EXPECT_EQ(waitedRanOn, ui);
    EXPECT_TRUE(ranBeforeReturn);
}

TEST(UiThread, OnTheUiThreadACallRunsAtOnceAlsoWhenItWaits)
{
    int runs = 0;
    CallOnUiThread([&] { ++runs; }, false);
    EXPECT_EQ(runs, 1);
    CallOnUiThread([&] { ++runs; }, true);
    EXPECT_EQ(runs, 2);
}

TEST(UiThread, CoalescingPostHandsTheUiThreadOnlyTheNewestValueAndPostsAgainAfterIt)
{
    std::atomic<int> sends{0};
    bool sendWorks = true;
    std::vector<int> delivered;
    UiCoalescingPost<int> post([&] {
        if (!sendWorks)
            return false;
        ++sends;
        CallOnUiThread([&] { delivered.push_back(post.Take()); }, false);
        return true;
    });

    std::thread burst([&] {
        for (int i = 1; i <= 100; ++i)
            post.Post(i);
    });
    burst.join();
    EXPECT_EQ(sends.load(), 1);
    EXPECT_TRUE(delivered.empty()) << "nothing runs before the UI thread takes its events";
    QCoreApplication::processEvents();
    EXPECT_EQ(delivered, std::vector<int>{100});

    std::thread next([&] { post.Post(101); });
    next.join();
    QCoreApplication::processEvents();
    EXPECT_EQ(delivered, (std::vector<int>{100, 101}));

    // On the UI thread the value is taken at once.
    post.Post(102);
    EXPECT_EQ(delivered.back(), 102);

    // A send that fails leaves nothing waiting: the next post sends again.
    sendWorks = false;
    std::thread failing([&] { EXPECT_FALSE(post.Post(103)); });
    failing.join();
    sendWorks = true;
    std::thread retry([&] { EXPECT_TRUE(post.Post(104)); });
    retry.join();
    QCoreApplication::processEvents();
    EXPECT_EQ(delivered.back(), 104);

    // After Restart a post sends its own call although one is still on its way.
    const int before = sends.load();
    std::thread restarted([&] {
        post.Post(105);
        post.Restart();
        post.Post(106);
    });
    restarted.join();
    EXPECT_EQ(sends.load(), before + 2);
    QCoreApplication::processEvents();
    EXPECT_EQ(delivered, (std::vector<int>{100, 101, 102, 104, 106, 106}));
}
