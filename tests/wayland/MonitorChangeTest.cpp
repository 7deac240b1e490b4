// Run by run_on.sh on a compositor with two outputs, the second one at (1280, 0): switched off
// (ORVELLE_TEST_MONITOR_OFF, a shell command) it closes the overlay surfaces on it and leaves the
// outputs offered; switched on again (ORVELLE_TEST_MONITOR_ON) it is offered again and takes new
// surfaces. A projector unplugged and plugged back in during a talk.

#include "LayerShellOverlays.h"

#include <QPainter>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

namespace {

const platform::ScreenRect kSecond{1280, 0, 1280, 800};

bool RunCommand(const char* variable)
{
    const char* command = std::getenv(variable);
    return command != nullptr && std::system(command) == 0;
}

TEST(MonitorChange, ASwitchedOffMonitorClosesItsSurfacesAndTakesNewOnesWhenBack)
{
    if (std::getenv("ORVELLE_TEST_MONITOR_OFF") == nullptr)
        GTEST_SKIP() << "no command to switch a monitor off";
    const auto overlays = platform::LayerShellOverlays::Connect();
    ASSERT_NE(overlays, nullptr);
    ASSERT_EQ(overlays->Outputs().size(), 2u);
    const auto settle = [&](const std::function<bool()>& done) {
        for (int i = 0; i < 100 && !done(); ++i) {
            overlays->Sync();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return done();
    };
    const std::unique_ptr<platform::IOverlaySurface> before = overlays->Create(kSecond, platform::OverlayPlacement{});
    ASSERT_NE(before, nullptr);
    EXPECT_FALSE(before->Gone());

    ASSERT_TRUE(RunCommand("ORVELLE_TEST_MONITOR_OFF"));
    EXPECT_TRUE(settle([&] { return before->Gone(); })) << "the surface on the switched-off monitor";
    EXPECT_TRUE(settle([&] { return overlays->Outputs().size() == 1; }));

    ASSERT_TRUE(RunCommand("ORVELLE_TEST_MONITOR_ON"));
    ASSERT_TRUE(settle([&] { return overlays->Outputs().size() == 2; }));
    const std::unique_ptr<platform::IOverlaySurface> after = overlays->Create(kSecond, platform::OverlayPlacement{});
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->Size(), QSize(kSecond.width, kSecond.height));
    EXPECT_FALSE(after->Gone());
    EXPECT_TRUE(after->Paint(QRegion(0, 0, kSecond.width, kSecond.height), [](QPainter&) {}));
}

} // namespace
