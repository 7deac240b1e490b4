// Effects on a scaled presentation screen that is not at (0, 0): two 1600 x 900 monitors side
// by side at a device pixel ratio of 2, the right one presenting. Effect points and sizes are
// physical; the windows must still land on the right monitor, at the right physical pixels.

// First: the link's ring queue has a member named like a Qt keyword macro.
#include "PoolFixture.h"

#include "CPostilPencilTipUI.h"
#include "CPresenterDigitalLaser.h"
#include "CPresenterPostil.h"
#include "CPresenterSearchLight.h"
#include "ConfigManager.h"
#include "DigitalLaser_UI.h"
#include "EffectTestSupport.h"
#include "LaserOverlay.h"
#include "ScaledOffscreenApp.h"
#include "Searchlight_UI.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QScreen>
#include <QWidget>

#include <cstdlib>
#include <memory>

namespace {

class ScaledEffects : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = std::make_unique<TempDir>();
        s_app = MakeScaledOffscreenApp(*s_dir, 1600, 900, "2");
    }
    static void TearDownTestSuite()
    {
        CPaintManagerUI::ClearImageCache();
        s_app.reset();
        s_dir.reset();
    }

    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::screens().size(), 2);
        ASSERT_EQ(QGuiApplication::screens().at(1)->devicePixelRatio(), 2.0);
        services = TestServices(screen, compositor, config);
        services.effectPoint = [] { return EffectPoint{2400, 450}; };
        config.SetEffectSize(CConfigManager::EffectSize::Spotlight, {540, 351});
        config.SetEffectSize(CConfigManager::EffectSize::LaserDot, {28, 28});
        config.SetInt(ConfigInt::SearchlightAlphaVal, 100, false);
    }

    static inline std::unique_ptr<TempDir> s_dir;
    static inline std::unique_ptr<QApplication> s_app;
    EffectSkinFolder skins;
    FixedPresentationScreen screen{{1600, 0, 1600, 900}};
    SwitchedCompositor compositor{true};
    CConfigManager config;
    EffectServices services;
};

TEST_F(ScaledEffects, SpotlightCoversTheRightMonitorWithTheHoleAtThePhysicalPoint)
{
    CPresenterSearchLight light(services);
    light.Create();
    ASSERT_TRUE(light.Show({2400, 450}));
    QWidget* window = light.GetWindow()->GetWidget();
    EXPECT_EQ(window->geometry(), QRect(1600, 0, 800, 450));
    const QImage frame = window->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(frame.size(), QSize(1600, 900)); // one pixel per physical pixel
    // Hole 540 x 270 physical around (800, 450) of the monitor.
    EXPECT_EQ(qAlpha(frame.pixel(800, 450)), 0);
    EXPECT_EQ(qAlpha(frame.pixel(540, 450)), 0);
    EXPECT_EQ(qAlpha(frame.pixel(520, 450)), 100);
    EXPECT_EQ(qAlpha(frame.pixel(800, 300)), 100);
    EXPECT_EQ(qAlpha(frame.pixel(5, 5)), 100);
}

TEST_F(ScaledEffects, LaserDotIsCentredOnThePhysicalPointAtItsPhysicalSize)
{
    CPresenterDigitalLaser laser(services);
    laser.Create();
    laser.Show({0, 0});
    LaserOverlay* overlay = laser.GetWindow()->GetOverlay();
    ASSERT_NE(overlay, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return overlay->isVisible(); }));
    // 28 physical pixels at (2386, 436): 14 logical at 1600 + 786 / 2.
    EXPECT_EQ(overlay->geometry(), QRect(1993, 218, 14, 14));
    EXPECT_EQ(overlay->Frame().size(), QSize(28, 28));
}

// The pen's width tip is 300 x 150 physical pixels centred on the presenting monitor: at a
// ratio of 2 that is 150 x 75 logical around the monitor's logical centre (2000, 225).
TEST_F(ScaledEffects, PenTipIsCentredOnTheMonitorAtItsPhysicalSize)
{
    CPresenterPostil pen(services);
    pen.Create();
    pen.SetDoAndUp({2400, 450});
    CPostilPencilTipUI* tip = pen.GetAnnotation()->Tip();
    ASSERT_NE(tip, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return tip->IsShown(); }));
    EXPECT_EQ(tip->GetWidget()->geometry(), QRect(1925, 188, 150, 75));
}

} // namespace
