// The cursor moved by relative motion only (Wayland): which motion a move to a point becomes, and
// where the cursor is believed to be; and the held keys of our virtual keyboards.

#include "FakeCursor.h"
#include "HeldKeys.h"
#include "RelativeCursor.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using Motions = std::vector<std::pair<int, int>>;

struct Cursor {
    Cursor()
    {
        auto fake = std::make_unique<FakeCursor>(platform::CursorPoint{100, 200});
        desktop = fake.get();
        cursor = std::make_unique<platform::RelativeCursor>([this](int dx, int dy) { motions.emplace_back(dx, dy); },
                                                            std::move(fake));
    }
    Motions motions;
    FakeCursor* desktop = nullptr;
    std::unique_ptr<platform::RelativeCursor> cursor;
};

} // namespace

TEST(RelativeCursor, MovesFromWhereItIsBelievedToBe)
{
    Cursor c;
    // Parked and brought back: the motion there and the motion back, nothing for no move.
    c.cursor->SetPos({1279, 799});
    EXPECT_EQ(c.cursor->GetPos(), (platform::CursorPoint{1279, 799}));
    c.cursor->SetPos({1279, 799});
    c.cursor->SetPos({100, 200});
    EXPECT_EQ(c.motions, (Motions{{1179, 599}, {-1179, -599}}));
    // The desktop's view never moved (the pointer is over native windows): our own belief holds.
    EXPECT_EQ(c.desktop->SetCount(), 0);
}

TEST(RelativeCursor, TakesTheDesktopsViewAgainWhenTheUserMovedThePointer)
{
    Cursor c;
    c.cursor->SetPos({150, 200});
    // The user moves the pointer over an X11 window: the desktop sees it there.
    c.desktop->Place({600, 400});
    EXPECT_EQ(c.cursor->GetPos(), (platform::CursorPoint{600, 400}));
    c.cursor->SetPos({610, 390});
    EXPECT_EQ(c.motions, (Motions{{50, 0}, {10, -10}}));
    // Hiding is the desktop's.
    c.cursor->Hide();
    EXPECT_EQ(c.desktop->HiddenDepth(), 1);
    c.cursor->Show();
    EXPECT_EQ(c.cursor->HideCount(), 0);
}

TEST(HeldKeys, ShiftControlAndAltWithoutASideMeanEitherSide)
{
    platform::HeldKeys held;
    held.Set(97, true);  // right Control
    EXPECT_TRUE(held.IsDown(17));
    EXPECT_TRUE(held.IsDown(163));
    EXPECT_FALSE(held.IsDown(162));
    EXPECT_FALSE(held.IsDown(16));
    held.Set(42, true);  // left Shift
    EXPECT_EQ(held.Codes(), (std::vector<int>{42, 97}));
    held.Set(97, false);
    EXPECT_FALSE(held.IsDown(17));
    EXPECT_TRUE(held.IsDown(16));
}
