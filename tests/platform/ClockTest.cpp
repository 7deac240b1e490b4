#include "Clock.h"
#include "DebugOutput.h"
#include "FakeClock.h"

#include <gtest/gtest.h>

#include <string>

TEST(Clock, FakeClockReplacesTheProcessClockAndSleepAdvancesIt)
{
    const uint32_t before = platform::GetTickCount();
    {
        ScopedFakeClock fake(5000);
        EXPECT_EQ(platform::GetTickCount(), 5000u);
        platform::Sleep(1500);
        EXPECT_EQ(platform::GetTickCount(), 6500u);
        EXPECT_DOUBLE_EQ(platform::HighResMs(), 6500.0);
    }
    // Back on the steady clock, which runs on from before the fake: a clock that went
    // backwards would wrap the unsigned difference far above a minute.
    EXPECT_LT(platform::GetTickCount() - before, 60000u);
}

TEST(Clock, ElapsedTicksSurviveTheThirtyTwoBitWrap)
{
    ScopedFakeClock fake(0xFFFFFF00u);
    const uint32_t start = platform::GetTickCount();
    fake.clock.Advance(0x200);
    EXPECT_EQ(platform::TicksSince(start, platform::GetTickCount()), 0x200u);
}

namespace {
std::string g_tapped;
void Tap(std::string_view text) { g_tapped.append(text); }
} // namespace

TEST(DebugOutput, TapSeesTextEvenWhenStandardErrorIsOff)
{
    platform::SetDebugOutputEnabled(false);
    EXPECT_FALSE(platform::DebugOutputEnabled());
    g_tapped.clear();
    platform::SetDebugOutputTap(&Tap);
    EXPECT_TRUE(platform::DebugOutputEnabled());
    platform::DebugOutput("line one\r\n");
    platform::SetDebugOutputTap(nullptr);
    platform::DebugOutput("not seen");
    EXPECT_EQ(g_tapped, "line one\r\n");
}
