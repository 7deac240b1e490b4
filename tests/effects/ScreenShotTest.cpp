// The screenshot bridge against a fake plug-in (tests/effects/FakeScreenSnapshot.cpp), loaded
// for real through the program's loader.

#include "CPaintManagerUI.h"
#include "CPresenterScreenShot.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <QCoreApplication>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

// The controls of one fake plug-in; the same file as the bridge loads, so the same instance.
struct FakePlugin {
    explicit FakePlugin(const char* path) : handle(dlopen(path, RTLD_NOW))
    {
        count = reinterpret_cast<int (*)(char)>(dlsym(handle, "FakeSnapshotCount"));
        waitInSnapshot = reinterpret_cast<bool (*)(bool)>(dlsym(handle, "FakeSnapshotWaitInSnapshot"));
        finish = reinterpret_cast<void (*)()>(dlsym(handle, "FakeSnapshotFinish"));
        call = reinterpret_cast<int (*)(int)>(dlsym(handle, "FakeSnapshotCall"));
        holdEntry = reinterpret_cast<void (*)(bool)>(dlsym(handle, "FakeSnapshotHoldEntry"));
    }
    ~FakePlugin() { dlclose(handle); }
    void* handle;
    int (*count)(char) = nullptr;
    bool (*waitInSnapshot)(bool) = nullptr;
    void (*finish)() = nullptr;
    int (*call)(int) = nullptr;
    void (*holdEntry)(bool) = nullptr;
};

bool WaitCaptureEnded(CPresenterScreenShot& bridge)
{
    for (int i = 0; i < 1000 && bridge.IsCapturing(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return !bridge.IsCapturing();
}

#ifdef ORVELLE_SCREENSNAPSHOT_PLUGIN
// The program ends right after a capture started: the bridge goes on the UI thread before its
// capture thread has reached the real plug-in, whose capture needs the UI thread. Its end must
// come all the same (a watchdog ends the test program if it hangs).
TEST(ScreenShotExit, BridgeGoesRightAfterACaptureStarted)
{
    std::atomic<bool> ended{false};
    std::thread watchdog([&] {
        for (int i = 0; i < 1500 && !ended; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!ended) {
            std::fprintf(stderr, "the bridge hangs at its end\n");
            std::_Exit(1);
        }
    });
    {
        CPresenterScreenShot bridge(ORVELLE_SCREENSNAPSHOT_PLUGIN);
        bridge.Create();
        EXPECT_TRUE(bridge.Show({0, 0}));
    }
    ended = true;
    watchdog.join();
    QCoreApplication::processEvents(); // the plug-in's queued opening finds its capture over
}
#endif

} // namespace

TEST(ScreenShotBridge, WithoutTheLibraryNothingHappens)
{
    CPresenterScreenShot bridge("/nonexistent/libScreenSnapshot.so");
    bridge.Create();
    EXPECT_FALSE(bridge.Show({10, 10}));
    EXPECT_FALSE(bridge.IsShown());
    EXPECT_FALSE(bridge.IsCapturing());
    EXPECT_FALSE(bridge.Hide(true));
}

TEST(ScreenShotBridge, SecondShowRaisesTheCaptureAndHideCancelsIt)
{
    FakePlugin fake(FAKE_SNAPSHOT_PATH);
    ASSERT_NE(fake.count, nullptr);
    CPresenterScreenShot bridge(FAKE_SNAPSHOT_PATH);
    bridge.Create();
    const std::string home = CPaintManagerUI::GetInstancePath().GetData();

    ASSERT_TRUE(bridge.Show({0, 0}));
    ASSERT_TRUE(fake.waitInSnapshot(true));
    EXPECT_TRUE(bridge.IsShown());
    EXPECT_TRUE(bridge.Show({0, 0}));
    EXPECT_EQ(fake.count('s'), 1);
    EXPECT_EQ(fake.count('w'), 1);

    EXPECT_FALSE(bridge.Hide(false));
    EXPECT_FALSE(bridge.IsShown());
    EXPECT_EQ(fake.count('c'), 1);
    ASSERT_TRUE(WaitCaptureEnded(bridge));
    // The fake left the current folder at "/"; the bridge puts the program's folder back.
    EXPECT_EQ(std::string(CPaintManagerUI::GetCurrentPath().GetData()), home);

    // Once the capture has ended, Show starts a new one rather than raising the old.
    ASSERT_TRUE(bridge.Show({0, 0}));
    ASSERT_TRUE(fake.waitInSnapshot(true));
    EXPECT_EQ(fake.count('s'), 2);
    EXPECT_EQ(fake.count('w'), 1);
    fake.finish();
    EXPECT_TRUE(WaitCaptureEnded(bridge));
}

// A Hide between the start of the capture thread and the plug-in's Snapshot would reach a
// plug-in with nothing to cancel, and the capture would open after the function was left.
TEST(ScreenShotBridge, HideBeforeTheCaptureRunsStillEndsIt)
{
    FakePlugin fake(FAKE_SNAPSHOT_PATH);
    CPresenterScreenShot bridge(FAKE_SNAPSHOT_PATH);
    bridge.Create();
    fake.holdEntry(true);
    ASSERT_TRUE(bridge.Show({0, 0}));
    EXPECT_FALSE(bridge.Hide(false));
    const int cancelsBefore = fake.count('c');
    fake.holdEntry(false);
    ASSERT_TRUE(WaitCaptureEnded(bridge)) << "the capture outlived the Hide that came before it";
    EXPECT_EQ(fake.count('c'), cancelsBefore + 1);

    // That cancel was used up: the next capture runs until it is ended.
    ASSERT_TRUE(bridge.Show({0, 0}));
    ASSERT_TRUE(fake.waitInSnapshot(true));
    EXPECT_TRUE(bridge.IsCapturing());
    fake.finish();
    EXPECT_TRUE(WaitCaptureEnded(bridge));
}

TEST(ScreenShotBridge, CallbackCodesFourAndFiveAloneMoveTheSavingFlag)
{
    FakePlugin fake(FAKE_SNAPSHOT_PATH);
    CPresenterScreenShot bridge(FAKE_SNAPSHOT_PATH);
    bridge.Create();
    EXPECT_FALSE(bridge.IsScreenShotSaving());
    EXPECT_EQ(fake.call(4), 1);
    EXPECT_TRUE(bridge.IsScreenShotSaving());
    for (int code : {0, 1, 2, 3, 6, -1})
        EXPECT_EQ(fake.call(code), 1) << code;
    EXPECT_TRUE(bridge.IsScreenShotSaving());
    // Process-wide: any bridge sees it.
    EXPECT_TRUE(CPresenterScreenShot("/nonexistent").IsScreenShotSaving());
    EXPECT_EQ(fake.call(5), 1);
    EXPECT_FALSE(bridge.IsScreenShotSaving());
}

TEST(ScreenShotBridge, MissingEntryPointsAreSkipped)
{
    FakePlugin fake(FAKE_SNAPSHOT_MINIMAL_PATH);
    CPresenterScreenShot bridge(FAKE_SNAPSHOT_MINIMAL_PATH);
    bridge.Create();
    // No SetCallBackFunction: the plug-in never got a callback.
    EXPECT_EQ(fake.call(4), -1);
    ASSERT_TRUE(bridge.Show({0, 0}));
    ASSERT_TRUE(fake.waitInSnapshot(true));
    EXPECT_TRUE(bridge.Show({0, 0}));
    EXPECT_FALSE(bridge.Hide(true));
    EXPECT_TRUE(bridge.IsCapturing());
    fake.finish();
    EXPECT_TRUE(WaitCaptureEnded(bridge));
    EXPECT_EQ(fake.count('s'), 1);
}
