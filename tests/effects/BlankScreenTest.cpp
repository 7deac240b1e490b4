// The blank screen's curtain, content and cursor on the offscreen platform.

#include "CBlankScreenUI.h"
#include "ConfigManager.h"
#include "EffectTestSupport.h"
#include "FakeCursor.h"
#include "QtScreens.h"

#include <gtest/gtest.h>

#include <QBackingStore>
#include <QWidget>

namespace {

class BlankScreen : public ::testing::Test {
protected:
    void Make(int devType = 0)
    {
        auto owned = std::make_unique<FakeCursor>();
        cursor = owned.get();
        window = std::make_unique<CBlankScreenUI>(TestServices(screen, compositor, config), std::move(owned),
                                                  [devType] { return devType; });
        ASSERT_TRUE(window->Build());
    }
    void TearDown() override
    {
        if (window)
            window->Destroy();
    }
    CControlUI* Background() { return window->GetPaintManager().FindControl("windowbackground"); }

    EffectSkinFolder skins;
    FixedPresentationScreen screen{{0, 0, 800, 400}};
    SwitchedCompositor compositor{false};
    CConfigManager config;
    FakeCursor* cursor = nullptr;
    std::unique_ptr<CBlankScreenUI> window;
};

TEST_F(BlankScreen, CurtainRollsDownAndUpInStepsOf80WithTheCursorHiddenMeanwhile)
{
    Make();
    window->ShowBlankScreen({0, 0, 800, 400});
    ASSERT_TRUE(PumpUntil([&] { return window->CurtainHeight() == 80; }));
    EXPECT_EQ(cursor->HiddenDepth(), 1);
    ASSERT_TRUE(PumpUntil([&] { return window->CurtainHeight() == 400; }));
    EXPECT_TRUE(window->GetWidget()->isVisible());
    // Another part of the program shows the cursor: it is hidden again while the curtain is up.
    cursor->Show();
    ASSERT_TRUE(PumpUntil([&] { return cursor->HiddenDepth() == 1; }));

    window->StartHide();
    EXPECT_FALSE(window->IsShowing());
    ASSERT_TRUE(PumpUntil([&] { return window->CurtainHeight() == 0; }));
    EXPECT_FALSE(window->GetWidget()->isVisible());
    EXPECT_EQ(cursor->HiddenDepth(), 0);
    // The rolled-up curtain does not keep its screen-sized paint buffer.
    ASSERT_NE(window->GetWidget()->backingStore(), nullptr);
    EXPECT_LE(window->GetWidget()->backingStore()->size().width() * window->GetWidget()->backingStore()->size().height(), 1);
}

TEST_F(BlankScreen, HideDuringTheRollDownRollsUpFromWhereItIs)
{
    Make();
    window->ShowBlankScreen({0, 0, 800, 400});
    ASSERT_TRUE(PumpUntil([&] { return window->CurtainHeight() >= 160; }));
    window->StartHide();
    const int from = window->CurtainHeight();
    ASSERT_TRUE(PumpUntil([&] { return window->CurtainHeight() == 0; }));
    EXPECT_LT(from, 400);
}

TEST_F(BlankScreen, ContentComesFromTheColourTableOrThePictureOfTheDevicesSlot)
{
    EXPECT_EQ(CBlankScreenUI::ColourOf(7), 0xFFF323C7u);
    EXPECT_EQ(CBlankScreenUI::ColourOf(11), 0u);
    config.SetSlotInt(ConfigSlotInt::SelectType, kSlotPresenter, 1, false);
    config.SetSlotInt(ConfigSlotInt::SelectIndex, kSlotPresenter, 7, false);
    config.SetSlotInt(ConfigSlotInt::SelectType, kSlotMouse, 1, false);
    config.SetSlotInt(ConfigSlotInt::SelectIndex, kSlotMouse, 3, false);
    Make(1);
    window->ShowBlankScreen({0, 0, 800, 400});
    ASSERT_TRUE(PumpUntil([&] { return window->CurtainHeight() > 0; }));
    EXPECT_EQ(Background()->GetBkColor(), 0xFFDF2116u);  // the mouse slot's colour 3
    // An unknown index keeps the colour.
    config.SetSlotInt(ConfigSlotInt::SelectIndex, kSlotMouse, 42, false);
    window->ShowBlankScreen({0, 0, 800, 400});
    ASSERT_TRUE(PumpUntil([&] { return window->CurtainHeight() > 0; }));
    EXPECT_EQ(Background()->GetBkColor(), 0xFFDF2116u);
}

TEST_F(BlankScreen, ScreenLeftOfThePrimaryIsCoveredFullWidth)
{
    Make();
    window->ShowBlankScreen({-800, 0, 800, 400});
    ASSERT_TRUE(PumpUntil([&] { return window->CurtainHeight() == 400; }));
    const platform::ScreenRect logical = platform::LogicalFromPhysical({-800, 0, 800, 400});
    EXPECT_EQ(window->GetWidget()->geometry(), QRect(logical.x, logical.y, logical.width, logical.height));
}

} // namespace
