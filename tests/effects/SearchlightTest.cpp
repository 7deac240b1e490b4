// The spotlight on the offscreen platform: what its window shows, with and without a
// compositor, and how the controller keeps, resizes and re-applies it.

#include "CPresenterSearchLight.h"
#include "ConfigManager.h"
#include "EffectTestSupport.h"
#include "SearchlightMarker.h"
#include "Searchlight_UI.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPaintEvent>
#include <QWidget>

#include <thread>

namespace {

class Searchlight : public ::testing::Test {
protected:
    void SetUp() override
    {
        config.SetEffectSize(CConfigManager::EffectSize::Spotlight, {540, 351});
        config.SetInt(ConfigInt::SearchlightAlphaVal, 100, false);
        config.SetReal(ConfigReal::SearchlightAspectRatio, 0.5f, false);
        config.SetReal(ConfigReal::SearchlightBorderRound, 0.5f, false);
    }

    CPresenterSearchLight& Light()
    {
        if (!light) {
            light = std::make_unique<CPresenterSearchLight>(TestServices(screen, compositor, config));
            light->Create();
        }
        return *light;
    }
    QWidget* Window() { return Light().GetWindow()->GetWidget(); }
    QImage Frame() { return Window()->grab().toImage().convertToFormat(QImage::Format_ARGB32); }

    EffectSkinFolder skins;
    FixedPresentationScreen screen{{0, 0, 800, 800}};
    SwitchedCompositor compositor{true};
    CConfigManager config;
    std::unique_ptr<CPresenterSearchLight> light;
};

TEST_F(Searchlight, CoverIsDimmedAtAlphaValAndTheHoleIsClear)
{
    ASSERT_NE(Light().GetWindow(), nullptr);
    EXPECT_FALSE(Window()->isVisible()); // collapsed until shown
    ASSERT_TRUE(Light().Show({400, 400}));
    ASSERT_TRUE(Window()->isVisible());
    EXPECT_EQ(Window()->geometry(), QRect(0, 0, 800, 800));
    EXPECT_TRUE(Window()->windowFlags().testFlag(Qt::WindowTransparentForInput));
    EXPECT_TRUE(Window()->windowFlags().testFlag(Qt::X11BypassWindowManagerHint));

    // Hole 540 x 270 around (400, 400): x 130..669, y 265..534, corners 135 x 67.5.
    const QImage frame = Frame();
    for (const QPoint outside : {QPoint(5, 5), QPoint(400, 250), QPoint(100, 400), QPoint(135, 270)}) {
        EXPECT_EQ(qAlpha(frame.pixel(outside)), 100) << outside.x() << "," << outside.y();
        EXPECT_EQ(qRed(frame.pixel(outside)), 0);
    }
    for (const QPoint inside : {QPoint(400, 400), QPoint(135, 400), QPoint(400, 268), QPoint(600, 500)})
        EXPECT_EQ(qAlpha(frame.pixel(inside)), 0) << inside.x() << "," << inside.y();

    // A move clears the new place and covers the old one again.
    Light().Move({200, 200});
    const QImage moved = Frame();
    EXPECT_EQ(qAlpha(moved.pixel(200, 200)), 0);
    EXPECT_EQ(qAlpha(moved.pixel(600, 500)), 100);
}

// Records what the cover is asked to repaint.
class RepaintRecorder final : public QObject {
public:
    QRegion region;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            region += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
};

TEST_F(Searchlight, AMoveRepaintsEveryPixelThatChangesButNotTheSharedMiddle)
{
    // Elliptic (0.5) and nearly square-cornered (0.1) holes: both kinds of interior.
    for (const float round : {0.5f, 0.1f}) {
        config.SetReal(ConfigReal::SearchlightBorderRound, round, false);
        ASSERT_TRUE(Light().Show({300, 400}));
        RepaintRecorder recorder;
        QWidget* cover = Light().GetWindow()->GetHole()->parentWidget();
        cover->installEventFilter(&recorder);
        // The shown cover's first paint is whole and may come late on a busy machine: only what
        // the move repaints after it counts.
        PumpUntil([&] { return !recorder.region.isEmpty(); }, std::chrono::milliseconds(500));
        PumpUntil([] { return false; }, std::chrono::milliseconds(20));
        const QImage before = Frame();
        recorder.region = QRegion();
        Light().Move({319, 407});
        PumpUntil([&] { return !recorder.region.isEmpty(); });
        cover->removeEventFilter(&recorder);
        const QImage after = Frame();
        const QRegion repainted = recorder.region.translated(cover->mapTo(Window(), QPoint(0, 0)));
        int changed = 0;
        for (int y = 0; y < after.height(); ++y)
            for (int x = 0; x < after.width(); ++x)
                if (before.pixel(x, y) != after.pixel(x, y)) {
                    ++changed;
                    ASSERT_TRUE(repainted.contains(QPoint(x, y))) << round << ": " << x << "," << y;
                }
        EXPECT_GT(changed, 0);
        long long area = 0;
        for (const QRect& r : repainted)
            area += static_cast<long long>(r.width()) * r.height();
        EXPECT_LT(area, 540 * 270) << round; // less than one hole, let alone both
        Light().Hide(true);
    }
}

TEST_F(Searchlight, AlphaValChangeAppliesAtTheNextShow)
{
    ASSERT_TRUE(Light().Show({400, 400}));
    config.SetInt(ConfigInt::SearchlightAlphaVal, 200, false);
    Light().Move({410, 400});
    EXPECT_EQ(qAlpha(Frame().pixel(5, 5)), 100);
    ASSERT_TRUE(Light().Show({410, 400}));
    EXPECT_EQ(qAlpha(Frame().pixel(5, 5)), 200);
}

TEST_F(Searchlight, WithoutCompositorTheHoleIsCutFromAnOpaqueCover)
{
    compositor.Set(false);
    ASSERT_TRUE(Light().Show({400, 400}));
    const QRegion shape = Window()->mask();
    ASSERT_FALSE(shape.isEmpty());
    EXPECT_TRUE(shape.contains(QPoint(5, 5)));
    EXPECT_TRUE(shape.contains(QPoint(400, 250)));
    EXPECT_FALSE(shape.contains(QPoint(400, 400)));
    EXPECT_FALSE(shape.contains(QPoint(135, 400)));
    EXPECT_EQ(qAlpha(Frame().pixel(5, 5)), 255);

    // The compositor starting later is followed at the next show: real alpha, no shape.
    compositor.Set(true);
    ASSERT_TRUE(Light().Show({400, 400}));
    EXPECT_TRUE(Window()->mask().isEmpty());
    EXPECT_EQ(qAlpha(Frame().pixel(5, 5)), 100);
    EXPECT_EQ(qAlpha(Frame().pixel(400, 400)), 0);
}

TEST_F(Searchlight, KeepOnStopHoldsAgainstAnUnforcedHideOnly)
{
    config.SetInt(ConfigInt::SearchlightSaveStatu, 1, false);
    ASSERT_TRUE(Light().Show({400, 400}));
    EXPECT_FALSE(Light().Hide(false));
    EXPECT_TRUE(Light().IsShown());
    EXPECT_TRUE(Window()->isVisible());
    EXPECT_TRUE(Light().Hide(true));
    EXPECT_FALSE(Light().IsShown());
    EXPECT_FALSE(Window()->isVisible());

    config.SetInt(ConfigInt::SearchlightSaveStatu, 0, false);
    ASSERT_TRUE(Light().Show({400, 400}));
    EXPECT_TRUE(Light().Hide(false));
    EXPECT_FALSE(Window()->isVisible());
}

TEST_F(Searchlight, MarkerFollowsThePointOnlyWithShowMouse)
{
    config.SetInt(ConfigInt::SearchlightShowMouse, 1, false);
    ASSERT_TRUE(Light().Show({300, 500}));
    SearchlightMarker* marker = Light().GetWindow()->GetMarker();
    ASSERT_NE(marker, nullptr);
    ASSERT_TRUE(marker->isVisible());
    EXPECT_EQ(marker->geometry(), QRect(289, 489, 22, 22));
    EXPECT_TRUE(marker->windowFlags().testFlag(Qt::WindowTransparentForInput));

    config.SetInt(ConfigInt::SearchlightShowMouse, 0, false);
    ASSERT_TRUE(Light().Show({300, 500}));
    EXPECT_FALSE(marker->isVisible());
    Light().Move({320, 500});
    EXPECT_FALSE(marker->isVisible());
}

TEST_F(Searchlight, SizeStepsResizeAndSpreadACollapsedSpotlightAgain)
{
    ASSERT_TRUE(Light().Show({400, 400}));
    ASSERT_TRUE(Light().Hide(true));
    config.SetEffectSize(CConfigManager::EffectSize::Spotlight, {380, 247});
    Light().SetDoAndUp({400, 400});
    EXPECT_EQ(config.GetEffectSize(CConfigManager::EffectSize::Spotlight), (CConfigManager::Size{395, 262}));
    EXPECT_TRUE(Window()->isVisible());
    EXPECT_FALSE(Light().IsShown()); // the shown flag stays as it was
    // 395 x 0.5: the hole is redrawn at the new width.
    const RECT hole = Light().GetWindow()->GetHole()->GetPos();
    EXPECT_EQ(hole.right - hole.left, 394);
    EXPECT_EQ(hole.bottom - hole.top, 196);

    // Past half the screen width (400) the size stays.
    Light().SetDoAndUp({400, 400});
    Light().SetDoAndUp({400, 400});
    EXPECT_EQ(config.GetEffectSize(CConfigManager::EffectSize::Spotlight).width, 410);
    Light().SetDoAndDown({400, 400});
    EXPECT_EQ(config.GetEffectSize(CConfigManager::EffectSize::Spotlight).width, 395);
}

TEST_F(Searchlight, WorkerThreadCallsReachTheWindowThroughTheUiThread)
{
    Light();
    std::thread worker([this] {
        Light().Show({400, 400});
        for (int x = 100; x <= 400; x += 10)
            Light().Move({x, 300});
    });
    worker.join();
    ASSERT_TRUE(PumpUntil([this] { return Window()->isVisible(); }));
    PumpUntil([] { return false; }, std::chrono::milliseconds(50));
    const QImage frame = Frame();
    EXPECT_EQ(qAlpha(frame.pixel(400, 300)), 0); // the newest point
    EXPECT_EQ(qAlpha(frame.pixel(400, 450)), 100);
}

} // namespace
