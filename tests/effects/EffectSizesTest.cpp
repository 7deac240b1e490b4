// The size arithmetic of the spotlight hole and the laser dot.

#include "EffectSizes.h"

#include <gtest/gtest.h>

#include <vector>

TEST(SearchlightHole, DefaultShapeIsHalfAsHighWithRoundsOfHalfEachSide)
{
    const SearchlightHole hole = SearchlightHoleAt({1000, 500}, 540, 0.5f, 0.5f);
    EXPECT_EQ(hole.rect.right - hole.rect.left, 540);
    EXPECT_EQ(hole.rect.bottom - hole.rect.top, 270);
    EXPECT_EQ(hole.rect.left, 730);
    EXPECT_EQ(hole.rect.top, 365);
    EXPECT_EQ(hole.roundX, 270);
    EXPECT_EQ(hole.roundY, 135);
    // Truncated toward zero: 333 x 0.3 = 99.9.
    const SearchlightHole odd = SearchlightHoleAt({0, 0}, 333, 0.3f, 0.5f);
    EXPECT_EQ(odd.rect.bottom - odd.rect.top, 98); // halves of 99 by integer division
    EXPECT_EQ(odd.roundY, 49);
}

TEST(SearchlightSteps, StepSizeCeilingAndFloor)
{
    EffectSize size{540, 351};
    EXPECT_TRUE(SearchlightStepUp(size, 1920, false));
    EXPECT_EQ(size, (EffectSize{555, 366}));
    EXPECT_TRUE(SearchlightStepUp(size, 3840, true));
    EXPECT_EQ(size, (EffectSize{585, 396}));

    // Up only while below half the screen width: at most one step beyond it.
    size = {955, 600};
    EXPECT_TRUE(SearchlightStepUp(size, 1920, false));
    EXPECT_EQ(size.width, 970);
    EXPECT_FALSE(SearchlightStepUp(size, 1920, false));
    EXPECT_EQ(size.width, 970);

    size = {214, 139};
    EXPECT_TRUE(SearchlightStepDown(size, false));
    EXPECT_EQ(size, (EffectSize{199, 124}));
    EXPECT_FALSE(SearchlightStepDown(size, false));
    size = {214, 139};
    EXPECT_TRUE(SearchlightStepDown(size, true));
    EXPECT_EQ(size.width, 184);
    size = {213, 138};
    EXPECT_FALSE(SearchlightStepDown(size, false));
    EXPECT_EQ(size, (EffectSize{213, 138}));
}

TEST(LaserSteps, UpToTheLimitAndBack)
{
    std::vector<int> widths;
    EffectSize size{28, 28};
    for (int i = 0; i < 11; ++i) {
        size = LaserStepUp(size, false);
        widths.push_back(size.width);
    }
    EXPECT_EQ(widths, (std::vector<int>{56, 84, 112, 140, 168, 196, 224, 252, 280, 280, 280}));
    widths.clear();
    for (int i = 0; i < 10; ++i) {
        size = LaserStepDown(size);
        widths.push_back(size.width);
    }
    EXPECT_EQ(widths, (std::vector<int>{252, 224, 196, 168, 140, 112, 84, 56, 28, 28}));

    widths.clear();
    size = {56, 56};
    for (int i = 0; i < 5; ++i) {
        size = LaserStepUp(size, true);
        widths.push_back(size.width);
    }
    EXPECT_EQ(widths, (std::vector<int>{112, 168, 224, 280, 280}));

    EXPECT_EQ(LaserStepDown({40, 40}), (EffectSize{28, 28}));
    EXPECT_EQ(LaserClamp({10, 400}), (EffectSize{28, 280}));
}
