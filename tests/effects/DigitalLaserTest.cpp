// The digital laser: its queue and worker, and the dot its overlay shows.

// First: the link's ring queue has a member named like a Qt keyword macro.
#include "PoolFixture.h"

#include "CPresenterDigitalLaser.h"
#include "ConfigManager.h"
#include "DigitalLaser_UI.h"
#include "EffectTestSupport.h"
#include "LaserOverlay.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>

#include <algorithm>
#include <condition_variable>
#include <mutex>

namespace {

class DigitalLaser : public PoolFixture {
protected:
    void SetUp() override
    {
        PoolFixture::SetUp();
        ASSERT_EQ(StartLogWriter(&sink), 0);
        config.SetEffectSize(CConfigManager::EffectSize::LaserDot, {28, 28});
    }
    void TearDown() override
    {
        laser.reset();
        PoolFixture::TearDown();
    }

    void Make(std::function<EffectPoint()> point)
    {
        EffectServices services = TestServices(screen, compositor, config);
        services.effectPoint = std::move(point);
        laser = std::make_unique<CPresenterDigitalLaser>(services);
    }
    size_t LinesWith(const std::string& text)
    {
        CloseLogWriter(); // every line queued so far is written
        const auto lines = sink.Lines();
        return static_cast<size_t>(
            std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(text) != std::string::npos; }));
    }
    LaserOverlay* Overlay() { return laser->GetWindow() ? laser->GetWindow()->GetOverlay() : nullptr; }

    MemorySink sink;
    FixedPresentationScreen screen{{0, 0, 800, 800}};
    SwitchedCompositor compositor{true};
    CConfigManager config;
    std::unique_ptr<CPresenterDigitalLaser> laser;
};

TEST_F(DigitalLaser, SixthMoveWhileTheWorkerIsBusyIsDropped)
{
    std::mutex m;
    std::condition_variable cv;
    bool inShow = false;
    bool release = false;
    Make([&] {
        std::unique_lock lock(m);
        inShow = true;
        cv.notify_all();
        cv.wait(lock, [&] { return release; });
        return EffectPoint{1, 1};
    });
    EXPECT_TRUE(laser->Show({10, 10}));
    {
        std::unique_lock lock(m);
        ASSERT_TRUE(cv.wait_for(lock, std::chrono::seconds(5), [&] { return inShow; }));
    }
    for (int i = 0; i < 6; ++i)
        laser->Move({i, i});
    {
        std::lock_guard lock(m);
        release = true;
    }
    cv.notify_all();
    laser.reset(); // the worker runs the five queued moves and ends
    EXPECT_EQ(LinesWith("CPresenterDigitalLaser::PushLaserCmd size is full"), 1u);
}

TEST_F(DigitalLaser, DotIsDrawnAtThePointAndRescaledOnlyWhenItsSizeChanges)
{
    EffectSkinFolder skins(0xFFFF0000u);
    Make([] { return EffectPoint{300, 200}; });
    laser->Create();
    ASSERT_NE(laser->GetWindow(), nullptr);
    EXPECT_FALSE(laser->GetWindow()->GetWidget()->isVisible()); // the host is never seen
    EXPECT_TRUE(laser->Show({0, 0}));
    ASSERT_TRUE(PumpUntil([&] { return Overlay() != nullptr && Overlay()->isVisible(); }));
    EXPECT_EQ(laser->GetShownState(), CPresenterDigitalLaser::STATE_SHOWN);
    EXPECT_EQ(Overlay()->geometry(), QRect(286, 186, 28, 28));
    EXPECT_TRUE(Overlay()->windowFlags().testFlag(Qt::X11BypassWindowManagerHint));
    EXPECT_TRUE(Overlay()->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_EQ(Overlay()->Frame().pixel(14, 14), 0xFFFF0000u);
    const int renders = Overlay()->RenderCount();

    laser->Move({500, 600});
    ASSERT_TRUE(PumpUntil([&] { return Overlay()->geometry().topLeft() == QPoint(486, 586); }));
    EXPECT_EQ(Overlay()->RenderCount(), renders);

    laser->SetDoAndUp({500, 600});
    ASSERT_TRUE(PumpUntil([&] { return Overlay()->geometry() == QRect(472, 572, 56, 56); }));
    EXPECT_EQ(Overlay()->RenderCount(), renders + 1);
    EXPECT_EQ(config.GetEffectSize(CConfigManager::EffectSize::LaserDot), (CConfigManager::Size{56, 56}));

    EXPECT_TRUE(laser->Hide(true));
    ASSERT_TRUE(PumpUntil([&] { return !Overlay()->isVisible(); }));
    ASSERT_TRUE(PumpUntil([&] { return laser->GetShownState() == CPresenterDigitalLaser::STATE_HIDDEN; }));

    // A size step while hidden draws the dot at the step's point; the state stays hidden.
    laser->SetDoAndDown({100, 100});
    ASSERT_TRUE(PumpUntil([&] { return Overlay()->isVisible(); }));
    EXPECT_EQ(Overlay()->geometry(), QRect(86, 86, 28, 28));
    EXPECT_FALSE(laser->IsShown());
}

TEST_F(DigitalLaser, OnlyARightButtonReleaseOnTheDotStopsTheFunction)
{
    EffectSkinFolder skins(0xFFFF0000u);
    EffectServices services = TestServices(screen, compositor, config);
    int stops = 0;
    services.stopFunction = [&] { ++stops; };
    services.effectPoint = [] { return EffectPoint{300, 200}; };
    laser = std::make_unique<CPresenterDigitalLaser>(services);
    laser->Create();
    EXPECT_TRUE(laser->Show({0, 0}));
    ASSERT_TRUE(PumpUntil([&] { return Overlay() != nullptr && Overlay()->isVisible(); }));
    EXPECT_FALSE(Overlay()->windowFlags().testFlag(Qt::WindowTransparentForInput)); // the dot takes clicks
    for (const Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(14, 14), QPointF(300, 200), button, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(Overlay(), &release);
    }
    EXPECT_EQ(stops, 1);
}

TEST_F(DigitalLaser, ShowAfterHideWinsWhileTheUiThreadIsBusy)
{
    EffectSkinFolder skins(0xFFFF0000u);
    Make([] { return EffectPoint{300, 200}; });
    laser->Create();
    laser->Show({0, 0});
    ASSERT_TRUE(PumpUntil([&] { return Overlay() != nullptr && Overlay()->isVisible(); }));
    // The UI thread takes no event until the worker has run all three.
    laser->Move({400, 400});
    laser->Hide(true);
    laser->Show({0, 0});
    ASSERT_TRUE(WaitUntil([&] { return laser->GetShownState() == CPresenterDigitalLaser::STATE_SHOWN; }));
    PumpUntil([] { return false; }, std::chrono::milliseconds(50));
    EXPECT_TRUE(Overlay()->isVisible());
    EXPECT_EQ(Overlay()->geometry(), QRect(286, 186, 28, 28));
}

// The remote's motion reaches the laser on another thread than the stop: a move that comes in
// right behind the hide must not bring the dot back.
TEST_F(DigitalLaser, MoveArrivingAfterTheStopDrawsNoDot)
{
    EffectSkinFolder skins(0xFFFF0000u);
    Make([] { return EffectPoint{300, 200}; });
    laser->Create();
    laser->Show({0, 0});
    ASSERT_TRUE(PumpUntil([&] { return Overlay() != nullptr && Overlay()->isVisible(); }));
    laser->Hide(true);
    laser->Move({400, 400});
    ASSERT_TRUE(PumpUntil([&] { return laser->GetShownState() == CPresenterDigitalLaser::STATE_HIDDEN; }));
    PumpUntil([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_FALSE(Overlay()->isVisible());
}

TEST_F(DigitalLaser, WithoutCompositorTheDotIsShapedFromItsPicture)
{
    EffectSkinFolder skins(0xFFFF0000u);
    compositor.Set(false);
    Make([] { return EffectPoint{300, 200}; });
    laser->Create();
    laser->Show({0, 0});
    ASSERT_TRUE(PumpUntil([&] { return Overlay() != nullptr && Overlay()->isVisible(); }));
    EXPECT_FALSE(Overlay()->mask().isEmpty());
    EXPECT_EQ(LinesWith("DigitalLaser_UI::Draw no compositor: shaped dot"), 1u);
}

TEST_F(DigitalLaser, MissingPictureIsLoggedWithItsPathAndDrawsNothing)
{
    EffectSkinFolder skins(0);
    Make([] { return EffectPoint{300, 200}; });
    laser->Create();
    EXPECT_TRUE(laser->Show({0, 0}));
    ASSERT_TRUE(PumpUntil([&] { return laser->GetShownState() == CPresenterDigitalLaser::STATE_SHOWN; }));
    PumpUntil([] { return false; }, std::chrono::milliseconds(50));
    ASSERT_NE(Overlay(), nullptr);
    EXPECT_FALSE(Overlay()->isVisible());
    EXPECT_TRUE(laser->IsShown()); // the function itself carries on
    const std::string path = skins.path() + "/button/FunctionSet/DigitalLaser/red@10x.png";
    EXPECT_GE(LinesWith("DigitalLaser_UI::LoadMaxLaserImageForCurrentColor failed. path=" + path), 1u);
}

TEST_F(DigitalLaser, KeepOnStopHoldsAgainstAnUnforcedHideOnly)
{
    Make([] { return EffectPoint{}; });
    config.SetInt(ConfigInt::DigitalLaserSaveStatu, 1, false);
    laser->Show({0, 0});
    EXPECT_FALSE(laser->Hide(false));
    EXPECT_TRUE(laser->IsShown());
    EXPECT_TRUE(laser->Hide(true));
    EXPECT_FALSE(laser->IsShown());
}

} // namespace
