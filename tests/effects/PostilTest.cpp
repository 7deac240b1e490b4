// The annotation pen: its colour and width rules, and what its windows show.

// First: the link's ring queue has a member named like a Qt keyword macro.
#include "PoolFixture.h"

#include "CPostilAnnotation.h"
#include "CPostilDrawWindow.h"
#include "CPostilPencilTipUI.h"
#include "CPostilPencilUI.h"
#include "CPresenterPostil.h"
#include "CPresenterSearchLight.h"
#include "ConfigManager.h"
#include "EffectTestSupport.h"
#include "FakeClock.h"
#include "PostilColor.h"
#include "Searchlight_UI.h"

#include <gtest/gtest.h>

#include <QWidget>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

TEST(PostilRules, WidthStaysWithinFourToTen)
{
    EXPECT_EQ(PostilWidthUp(10), 10);
    EXPECT_EQ(PostilWidthDown(4), 4);
    EXPECT_EQ(PostilWidthUp(6), 7);
    EXPECT_EQ(PostilWidthDown(6), 5);
}

TEST(PostilRules, RainbowWalksFromRedToYellowInFiftySlowSegmentsAndRestartsWhenChosenAgain)
{
    PostilColor colour;
    int segments = 0;
    do {
        UpdatePostilColor(colour, POSTIL_RAINBOW, 3, 2); // slow: the step is 5
        ++segments;
    } while (colour.g < 250 && segments < 1000);
    EXPECT_EQ(segments, 50);
    EXPECT_EQ(colour.r, 245); // the step that reached yellow turned the corner towards green
    EXPECT_EQ(colour.b, 0);
    // A fast stroke (45 pixels) walks four times faster.
    UpdatePostilColor(colour, POSTIL_RAINBOW, 45, 0);
    EXPECT_EQ(colour.r, 225);

    UpdatePostilColor(colour, POSTIL_BLUE, 1, 1);
    EXPECT_EQ(colour.b, 255);
    UpdatePostilColor(colour, POSTIL_RAINBOW, 1, 1);
    EXPECT_EQ(colour.r, 250);
    EXPECT_EQ(colour.g, 5); // restarted at 250, 0, 0 and took one step
    EXPECT_EQ(colour.b, 0);
}

class Postil : public PoolFixture {
protected:
    void SetUp() override
    {
        PoolFixture::SetUp();
        ASSERT_EQ(StartLogWriter(&sink), 0);
        config.SetInt(ConfigInt::LineColor, POSTIL_RED, false);
        config.SetInt(ConfigInt::LineSize, 6, false);
        EffectServices services = TestServices(screen, compositor, config);
        services.capture = &capture;
        pen = std::make_unique<CPresenterPostil>(services);
        pen->Create();
    }
    void TearDown() override
    {
        pen.reset();
        PoolFixture::TearDown();
    }
    CPostilDrawWindow* Draw() { return pen->GetAnnotation()->DrawWindow(); }
    bool Red(int x, int y) { return !Draw()->Canvas().isNull() && Draw()->Canvas().pixel(x, y) == 0xFFFF0000u; }

    MemorySink sink;
    EffectSkinFolder skins;
    FixedPresentationScreen screen{{0, 0, 800, 800}};
    SwitchedCompositor compositor{true};
    FakeScreenCapture capture{800, 800, 0xFFFFFFFFu};
    CConfigManager config;
    std::unique_ptr<CPresenterPostil> pen;
};

TEST_F(Postil, StrokesLieOnTheFrozenPictureUntilClearedOrHidden)
{
    ASSERT_NE(Draw(), nullptr);
    EXPECT_TRUE(pen->Show({100, 100}));
    ASSERT_TRUE(PumpUntil([&] { return Draw()->IsCovering(); }));
    EXPECT_EQ(Draw()->GetWidget()->geometry(), QRect(0, 0, 800, 800));
    ASSERT_TRUE(PumpUntil([&] { return pen->GetAnnotation()->Pencil()->IsVisible(); }));
    EXPECT_EQ(pen->GetAnnotation()->Pencil()->GetWidget()->geometry(), QRect(100, 100, 32, 32));

    // The first motion only sets where the stroke starts.
    pen->Move({100, 100});
    ASSERT_TRUE(PumpUntil([&] { return pen->GetAnnotation()->LastPoint().x == 100; }));
    PumpUntil([] { return false; }, std::chrono::milliseconds(30));
    EXPECT_EQ(Draw()->Canvas().pixel(100, 100), 0xFFFFFFFFu);

    pen->Move({200, 150});
    ASSERT_TRUE(PumpUntil([&] { return Red(150, 125); }));
    EXPECT_EQ(pen->GetAnnotation()->Pencil()->GetWidget()->geometry(), QRect(200, 150, 32, 32));
    // Only the segment's own box is repainted.
    const QRect damage = Draw()->LastDamage();
    EXPECT_TRUE(QRect(92, 92, 116, 66).contains(damage)) << damage.x() << "," << damage.y() << " " << damage.width()
                                                         << "x" << damage.height();
    EXPECT_TRUE(damage.contains(QRect(100, 100, 100, 50)));

    pen->ClearPostil();
    ASSERT_TRUE(PumpUntil([&] { return !Red(150, 125); }));
    // A wiped drawing starts a new stroke: the next motion draws nothing.
    pen->Move({300, 300});
    pen->Move({400, 300});
    ASSERT_TRUE(PumpUntil([&] { return Red(350, 300); }));
    EXPECT_FALSE(Red(250, 250));

    // The pen has no keep-on-stop; a hide drops the picture.
    EXPECT_TRUE(pen->Hide(false));
    EXPECT_FALSE(pen->IsShown());
    ASSERT_TRUE(PumpUntil([&] { return !Draw()->IsCovering(); }));
    EXPECT_TRUE(Draw()->Canvas().isNull());
    EXPECT_FALSE(pen->GetAnnotation()->Pencil()->IsVisible());
    EXPECT_EQ(capture.captures.load(), 1);
    pen->Show({100, 100});
    ASSERT_TRUE(PumpUntil([&] { return Draw()->IsCovering(); }));
    EXPECT_EQ(capture.captures.load(), 2);
    EXPECT_FALSE(Red(350, 300));
}

TEST_F(Postil, WidthStepShowsTheTipUntilItGoesQuiet)
{
    ScopedFakeClock clock;
    pen->Show({100, 100});
    pen->SetDoAndUp({100, 100});
    CPostilPencilTipUI* tip = pen->GetAnnotation()->Tip();
    ASSERT_TRUE(PumpUntil([&] { return tip->IsShown(); }));
    EXPECT_EQ(config.GetInt(ConfigInt::LineSize), 7);
    EXPECT_EQ(tip->GetWidget()->geometry(), QRect(250, 325, 300, 150));
    ASSERT_NE(tip->GetImageLabel(), nullptr);
    EXPECT_EQ(tip->GetImageLabel()->GetPos().bottom - tip->GetImageLabel()->GetPos().top, 7);
    EXPECT_STREQ(tip->GetImageLabel()->GetBkImage().GetData(), "file='button\\FunctionSet\\PostilLine_Red.png'");

    clock.clock.Advance(1400);
    tip->SendMessage(WM_TIMER, CPostilPencilTipUI::kHideTimerId);
    EXPECT_TRUE(tip->IsShown());
    clock.clock.Advance(200);
    tip->SendMessage(WM_TIMER, CPostilPencilTipUI::kHideTimerId);
    EXPECT_FALSE(tip->IsShown());
    EXPECT_FALSE(tip->GetWidget()->isVisible());
}

// The function manager's thread hides the spotlight and shows the pen at once; the hide reaches
// the UI thread only later. The pen's picture is taken once the cover is off the screen.
TEST_F(Postil, PictureWaitsUntilThePreviousFunctionsCoverIsGone)
{
    CPresenterSearchLight light(TestServices(screen, compositor, config));
    light.Create();
    ASSERT_TRUE(light.Show({400, 400}));
    QWidget* cover = light.GetWindow()->GetWidget();
    ASSERT_TRUE(PumpUntil([&] { return cover->isVisible(); }));
    std::atomic<int> coveredAtCapture{-1};
    capture.onCapture = [&] { coveredAtCapture = cover->isVisible() ? 1 : 0; };
    std::thread switching([&] {
        light.Hide(true);
        pen->Show({100, 100});
    });
    // The UI thread is busy elsewhere for a while before it reaches the hide.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ASSERT_TRUE(PumpUntil([&] { return coveredAtCapture.load() >= 0; }));
    switching.join();
    EXPECT_EQ(coveredAtCapture.load(), 0);
    EXPECT_TRUE(PumpUntil([&] { return Draw()->IsCovering(); }));
}

// A screen that cannot be read: no black cover and no strokes; the user is told once, however
// often the pen is tried.
TEST_F(Postil, FailedCaptureCoversNothingAndIsToldOnce)
{
    pen.reset();
    capture.failing = true;
    EffectServices services = TestServices(screen, compositor, config);
    services.capture = &capture;
    std::vector<std::string> told;
    services.tellUser = [&](const char* section, const char* key) { told.push_back(std::string(section) + "/" + key); };
    pen = std::make_unique<CPresenterPostil>(services);
    pen->Create();
    for (int attempt = 0; attempt < 2; ++attempt) {
        pen->Show({100, 100});
        pen->Move({100, 100});
        pen->Move({200, 150});
        PumpUntil([] { return false; }, std::chrono::milliseconds(50));
        EXPECT_FALSE(Draw()->GetWidget()->isVisible());
        EXPECT_FALSE(pen->GetAnnotation()->Pencil()->IsVisible());
        pen->Hide(true);
    }
    EXPECT_EQ(told, std::vector<std::string>{"tooltip/capture_failed_tooltip"});
}

} // namespace
