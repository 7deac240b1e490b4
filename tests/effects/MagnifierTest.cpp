// The magnifier: the lens arithmetic, and what the lens and the dim layer show.

// First: the link's ring queue has a member named like a Qt keyword macro.
#include "PoolFixture.h"

#include "ConfigManager.h"
#include "EffectSizes.h"
#include "EffectTestSupport.h"
#include "KVOMagnifyManager.h"
#include "MagnifierLens.h"
#include "MagnifierWindows.h"
#include "Zoom_UI.h"

#include <gtest/gtest.h>

#include <QWidget>

namespace {

TEST(LensArithmetic, ZoomTwoCopiesHalfTheLensAroundThePoint)
{
    const LensSource source = LensSourceAt({1000, 500}, 540, 270, 2.0f);
    EXPECT_EQ(source.left, 865);
    EXPECT_EQ(source.top, 432); // 500 - 67.5, truncated
    EXPECT_EQ(source.width, 270);
    EXPECT_EQ(source.height, 135);
    EXPECT_EQ(LensHeight(400, 0.5f), 200);
    // A zoom factor of 0 from the settings file shows the area unenlarged instead of dividing by zero.
    EXPECT_EQ(LensSourceAt({1000, 500}, 540, 270, 0.0f).width, 540);
}

class Magnifier : public PoolFixture {
protected:
    static constexpr uint32_t kGrey = 0xFF808080u;
    static constexpr uint32_t kMagenta = 0xFFFF00FFu;
    static constexpr uint32_t kBlack = 0xFF000000u;

    void SetUp() override
    {
        PoolFixture::SetUp();
        ASSERT_EQ(StartLogWriter(&sink), 0);
        config.SetEffectSize(CConfigManager::EffectSize::ZoomLens, {400, 260});
        Zoom_CreatWindow();
        ASSERT_NE(CreateZoomUI(), nullptr);
        capture.Square(290, 190, 10, kMagenta); // left of and above the point
        capture.Square(305, 205, 10, kBlack);   // right of and below it
    }
    void TearDown() override
    {
        zoom.reset();
        FreeMagnifierWindows();
        PoolFixture::TearDown();
    }
    void Make()
    {
        EffectServices services = TestServices(screen, compositor, config);
        services.capture = &capture;
        services.effectPoint = [this] { return point; };
        zoom = std::make_unique<KVOMagnifyManager>(services);
        zoom->Create();
    }
    bool ShownAt(EffectPoint p)
    {
        return PumpUntil([&] {
            MagnifierLens* lens = GetZoomLens();
            return lens->isVisible() && lens->geometry().topLeft() == QPoint(p.x - 200, p.y - 100);
        });
    }
    MagnifierLens& Lens() { return *GetZoomLens(); }

    MemorySink sink;
    EffectSkinFolder skins;
    FixedPresentationScreen screen{{0, 0, 800, 800}};
    SwitchedCompositor compositor{true};
    FakeScreenCapture capture{800, 800, kGrey};
    CConfigManager config;
    EffectPoint point{300, 200};
    std::unique_ptr<KVOMagnifyManager> zoom;
};

TEST_F(Magnifier, LensShowsThePatchAtTwiceItsSizeKeepsBlackAndCutsItsCornersWithAlpha)
{
    Make();
    EXPECT_TRUE(zoom->Show({0, 0}));
    ASSERT_TRUE(ShownAt(point));
    EXPECT_EQ(zoom->GetShownState(), KVOMagnifyManager::STATE_SHOWN);
    ASSERT_TRUE(GetZoomUI()->IsCovering());
    EXPECT_EQ(GetZoomUI()->GetWidget()->geometry(), QRect(0, 0, 800, 800));
    const QImage frame = Lens().Frame();
    ASSERT_EQ(frame.size(), QSize(400, 200));
    // The 10-pixel patch 10 pixels up-left of the point covers 20 pixels, 20 up-left of the centre.
    EXPECT_EQ(frame.pixel(200 - 20, 100 - 20), kMagenta);
    EXPECT_EQ(frame.pixel(200 - 1, 100 - 1), kMagenta);
    EXPECT_EQ(frame.pixel(200 - 21, 100 - 21), kGrey);
    // Black content is black and opaque, not a see-through hole.
    EXPECT_EQ(frame.pixel(200 + 15, 100 + 15), kBlack);
    // The default roundness 0.5 makes an ellipse: the corners are cleared, the edge middles kept.
    EXPECT_EQ(qAlpha(frame.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(frame.pixel(399, 199)), 0);
    EXPECT_EQ(frame.pixel(200, 1), kGrey);
    EXPECT_EQ(frame.pixel(1, 100), kGrey);

    // A move redraws the lens from the same capture, with the same buffers.
    const int builds = Lens().BufferBuilds();
    point = {500, 400};
    zoom->Move(point);
    ASSERT_TRUE(ShownAt(point));
    EXPECT_EQ(Lens().Frame().pixel(200, 100), kGrey);
    EXPECT_EQ(Lens().BufferBuilds(), builds);
    EXPECT_EQ(capture.captures.load(), 1);

    EXPECT_TRUE(zoom->Hide(false));
    ASSERT_TRUE(PumpUntil([&] { return !Lens().isVisible() && !GetZoomUI()->IsCovering(); }));
    EXPECT_TRUE(Lens().Frame().isNull());
    EXPECT_EQ(zoom->GetShownState(), KVOMagnifyManager::STATE_HIDDEN);
}

// On a presentation screen away from the desktop's corner the lens still enlarges what lies
// under the point: the frozen picture is of the whole desktop.
TEST_F(Magnifier, LensSourceFollowsThePointOnAShiftedScreen)
{
    screen = FixedPresentationScreen{{200, 100, 600, 700}};
    Make();
    zoom->Show({0, 0});
    ASSERT_TRUE(ShownAt(point));
    EXPECT_EQ(GetZoomUI()->GetWidget()->geometry(), QRect(200, 100, 600, 700));
    EXPECT_EQ(Lens().Frame().pixel(200 - 20, 100 - 20), kMagenta);
    EXPECT_EQ(Lens().Frame().pixel(200 + 15, 100 + 15), kBlack);
}

TEST_F(Magnifier, RoundnessZeroGivesARectangleAndNoCompositorShapesTheLens)
{
    config.SetReal(ConfigReal::ZoomBorderRound, 0.0f, false);
    compositor.Set(false);
    Make();
    zoom->Show({0, 0});
    ASSERT_TRUE(ShownAt(point));
    EXPECT_EQ(Lens().Frame().pixel(0, 0), kGrey);
    EXPECT_EQ(Lens().Frame().pixel(399, 199), kGrey);
    EXPECT_EQ(Lens().mask(), QRegion(0, 0, 400, 200));
    // Without a compositor the dim layer is the frozen screen darkened, never black.
    const QImage dimmed = GetZoomUI()->Fallback();
    ASSERT_EQ(dimmed.size(), QSize(800, 800));
    const QRgb seen = dimmed.pixel(700, 700);
    EXPECT_GT(qRed(seen), 60);
    EXPECT_LT(qRed(seen), 0x80);
}

TEST_F(Magnifier, MovesBeforeTheShowAreDroppedAndAStepBeyondHalfTheScreenOnlyRedraws)
{
    Make();
    zoom->Move({600, 600});
    ASSERT_TRUE(PumpUntil([&] { return zoom->MotionQueueSize() == 0; }));
    zoom->Show({0, 0});
    ASSERT_TRUE(ShownAt(point));
    const int renders = Lens().Renders();
    EXPECT_EQ(renders, 1);

    // 400 is not below half of 800: the step up changes nothing but draws the lens again.
    zoom->SetDoAndUp(point);
    ASSERT_TRUE(PumpUntil([&] { return Lens().Renders() > renders; }));
    EXPECT_EQ(config.GetEffectSize(CConfigManager::EffectSize::ZoomLens).width, 400);
    zoom->SetDoAndDown(point);
    ASSERT_TRUE(PumpUntil([&] { return Lens().Frame().width() == 385; }));
    EXPECT_EQ(zoom->LensSize(), (EffectSize{385, 192}));

    // Keep-on-stop holds the lens through a stop that is not forced.
    config.SetInt(ConfigInt::ZoomSaveStatu, 1, false);
    zoom->Hide(true);
    ASSERT_TRUE(PumpUntil([&] { return zoom->GetShownState() == KVOMagnifyManager::STATE_HIDDEN; }));
    zoom->Show({0, 0});
    ASSERT_TRUE(PumpUntil([&] { return zoom->GetShownState() == KVOMagnifyManager::STATE_SHOWN; }));
    EXPECT_FALSE(zoom->Hide(false));
    EXPECT_TRUE(zoom->IsShown());
}

// A screen that cannot be read: no lens and no darkened black screen over the slide.
TEST_F(Magnifier, FailedCaptureShowsNeitherLensNorDimLayer)
{
    capture.failing = true;
    Make();
    zoom->Show({0, 0});
    ASSERT_TRUE(PumpUntil([&] { return zoom->GetShownState() == KVOMagnifyManager::STATE_SHOWN; }));
    zoom->Move({320, 220});
    PumpUntil([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_FALSE(GetZoomUI()->GetWidget()->isVisible());
    EXPECT_FALSE(Lens().isVisible());
}

} // namespace
