// Which monitor the effects use, and when it counts as large.

#include "PresentationScreen.h"

#include <gtest/gtest.h>

namespace {

using platform::ScreenRect;

class ListScreens final : public platform::IScreens {
public:
    std::vector<ScreenRect> Monitors() const override { return monitors; }
    std::vector<ScreenRect> monitors;
};

bool Same(const ScreenRect& a, const ScreenRect& b)
{
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

TEST(PresentationScreenTest, LastDisplayFromTwoOnElseDisplayZero)
{
    ListScreens screens;
    platform::PresentationScreen presentation(screens);
    EXPECT_TRUE(Same(presentation.Rect(), ScreenRect{}));
    screens.monitors = {{0, 0, 1920, 1080}};
    EXPECT_TRUE(Same(presentation.Rect(), ScreenRect{0, 0, 1920, 1080}));
    screens.monitors = {{0, 0, 1920, 1080}, {-1280, 0, 1280, 1024}, {1920, 0, 3840, 2160}};
    EXPECT_TRUE(Same(presentation.Rect(), ScreenRect{1920, 0, 3840, 2160}));
    EXPECT_TRUE(platform::IsLargeScreen(presentation.Rect()));
    EXPECT_FALSE(platform::IsLargeScreen({0, 0, 2700, 1600}));
    EXPECT_TRUE(platform::IsLargeScreen({0, 0, 2701, 1600}));
}

} // namespace
