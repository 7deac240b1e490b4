// The motion consumer's hand-over to the presenter service, the speed scale and its watcher.

#include "ControllerSet.h"
#include "KVOCursorMotion.h"
#include "KVOCursorSpeedKeeper.h"
#include "KVOHidThreadManager.h"
#include "KVOReportDecoder.h"
#include "LockedScreens.h"
#include "ObjectManager.h"
#include "RecordingKeyHandler.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

namespace {

class MoveThreadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Device().SetStatus(DEVICE_STATUS_CONNECTED);
        SetKVOKeyHandler(&handler);
        g_bLinkRunning = true;
        thread = std::thread(RunMoveLoop, std::ref(queue));
    }
    void TearDown() override
    {
        Stop();
        g_bLinkRunning = false;
        SetKVOKeyHandler(nullptr);
        ControllerSet::Destroy();
    }
    void Stop()
    {
        if (!thread.joinable())
            return;
        queue.offerExitObj();
        thread.join();
    }
    static DeviceMgr& Device() { return ControllerSet::Instance().GetDeviceMgr(); }

    void Offer(uint8_t key, uint8_t dx, uint8_t dy, uint8_t button = 0)
    {
        // Records come back only when the consumer releases them; wait for one, but not forever.
        cmdInfo* record = queue.getObj();
        for (int i = 0; record == nullptr && i < 2000; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            record = queue.getObj();
        }
        ASSERT_NE(record, nullptr);
        uint8_t report[KVO_REPORT_BYTES] = {};
        report[0] = 0x0A;
        report[KVO_REPORT_STATUS] = KVO_STATUS_ONLINE;
        report[KVO_REPORT_KEY] = key;
        report[KVO_REPORT_DX] = dx;
        report[KVO_REPORT_DY] = dy;
        report[KVO_REPORT_BUTTON] = button;
        std::memcpy(record->data.get(), report, sizeof report);
        record->dataLength = KVO_REPORT_BYTES;
        queue.offerObj(record);
    }

    ObjectManager queue{16};
    RecordingKeyHandler handler;
    std::thread thread;
};

TEST_F(MoveThreadTest, PresenterAndMouseEventsCarrySignedMotion)
{
    Device().SetDevType(KVO_PRESENTER);
    Offer(2, 0xFB, 0x03);
    handler.WaitFor(1);
    Device().SetDevType(KVO_WIRLESS_MOUSE);
    Offer(0, 0x80, 0x7F, 64);
    const auto calls = handler.WaitFor(2);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0], (KeyCall{false, 2, 0, -5, 3}));
    EXPECT_EQ(calls[1], (KeyCall{true, 0, 64, -128, 127}));
}

TEST_F(MoveThreadTest, WiredMouseAndOfflineRecordsAreReleasedWithoutACall)
{
    Device().SetDevType(KVO_WIRED_MOUSE);
    // More records than the queue's pool holds: each must come back, or the offers would stall.
    for (int i = 0; i < 40; ++i)
        Offer(1, 1, 1);
    Device().SetStatus(DEVICE_STATUS_DISCONNECTED);
    Device().SetDevType(KVO_PRESENTER);
    for (int i = 0; i < 40; ++i)
        Offer(1, 1, 1);
    Stop();
    EXPECT_TRUE(handler.Calls().empty());
    EXPECT_EQ(queue.queueSize(), 0);
}

TEST(SpeedScaleTest, FollowsTheScreenHeightOnly)
{
    EXPECT_FLOAT_EQ(SpeedScaleForHeight(1080), 1.5f);
    EXPECT_FLOAT_EQ(SpeedScaleForHeight(1200), 1.6f);
    EXPECT_FLOAT_EQ(SpeedScaleForHeight(1440), 2.0f);
    EXPECT_FLOAT_EQ(SpeedScaleForHeight(768), 1.0f);
    EXPECT_FLOAT_EQ(SpeedScaleForHeight(721), 1.0f);
    EXPECT_FLOAT_EQ(SpeedScaleForHeight(2159), 2.9f);
    EXPECT_FLOAT_EQ(SpeedScaleForHeight(2160), 3.0f);
    EXPECT_FLOAT_EQ(SpeedScaleForHeight(4320), 3.0f);
    EXPECT_FLOAT_EQ(SpeedScaleForHeight(0), 1.0f);
    EXPECT_FLOAT_EQ(SpeedScaleForHeight(-1080), 1.0f);
}

TEST(SpeedKeeperTest, FollowsThePrimaryScreen)
{
    LockedScreens screens({{0, 0, 1920, 1080}, {1920, 0, 3840, 2160}});
    KVOCursorSpeedKeeper keeper(screens, false);
    EXPECT_FLOAT_EQ(keeper.GetSpeedScale(), 1.5f);
    EXPECT_EQ(keeper.GetBaseValue(), 72);
    EXPECT_FALSE(keeper.CheckScreenSize());
    screens.Set({{0, 0, 2560, 1440}});
    EXPECT_TRUE(keeper.CheckScreenSize());
    EXPECT_FLOAT_EQ(keeper.GetSpeedScale(), 2.0f);
    // A new width alone leaves the scale.
    screens.Set({{0, 0, 3440, 1440}});
    EXPECT_FALSE(keeper.CheckScreenSize());
    screens.Set({});
    EXPECT_TRUE(keeper.CheckScreenSize());
    EXPECT_FLOAT_EQ(keeper.GetSpeedScale(), 1.0f);
}

TEST(SpeedKeeperTest, WatcherPicksUpAChangeWithinAboutOneSecond)
{
    LockedScreens screens({{0, 0, 1920, 1080}});
    KVOCursorSpeedKeeper keeper(screens);
    screens.Set({{0, 0, 2560, 1440}});
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(2500);
    while (keeper.GetSpeedScale() != 2.0f && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FLOAT_EQ(keeper.GetSpeedScale(), 2.0f);
}

} // namespace
