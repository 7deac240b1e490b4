// Run by run_on_sway.sh as the session's user over the full-screen test slide: the overlay
// surfaces as the compositor shows them, read back through its own copy of the output.

#include "FakeScreens.h"
#include "LayerShellOverlays.h"
#include "OverlayOutputs.h"
#include "PresentationScreen.h"
#include "SlidePattern.h"
#include "WlrScreenCapture.h"

#include <gtest/gtest.h>

#include <QPainter>

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 800;
const platform::ScreenRect kScreen{0, 0, kWidth, kHeight};
// Black at this alpha over the slide.
constexpr int kAlpha = 128;
constexpr uint32_t kDot = 0xFFFF00FFu;

struct Screen {
    platform::CapturedScreen picture;
    uint32_t At(int x, int y) const { return picture.pixels[static_cast<size_t>(y) * picture.width + x]; }
    bool Slide(int x, int y) const { return At(x, y) == slide::QuarterColour(x, y, kWidth, kHeight); }
    // The slide's colour there, darkened by the cover (one step of rounding either way).
    bool Dimmed(int x, int y) const
    {
        const uint32_t want = slide::QuarterColour(x, y, kWidth, kHeight);
        const uint32_t got = At(x, y);
        for (int shift : {0, 8, 16}) {
            const int expected = static_cast<int>((want >> shift) & 0xFF) * (255 - kAlpha) / 255;
            if (std::abs(static_cast<int>((got >> shift) & 0xFF) - expected) > 2)
                return false;
        }
        return true;
    }
};

Screen Take(platform::IOverlaySurfaces& overlays)
{
    overlays.Sync();
    platform::WlrScreenCapture capture;
    Screen screen;
    EXPECT_TRUE(capture.CaptureVirtualScreen(screen.picture));
    EXPECT_EQ(screen.picture.width, kWidth);
    return screen;
}

// The cover black at kAlpha with `hole` cleared.
void PaintCover(platform::IOverlaySurface& cover, const QRegion& damage, const QRect& hole)
{
    cover.Paint(damage, [&](QPainter& painter) {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(QRect(0, 0, kWidth, kHeight), QColor(0, 0, 0, kAlpha));
        painter.fillRect(hole, Qt::transparent);
    });
}

} // namespace

TEST(LayerShellOverlays, CoverWithHoleAndADotAboveItOverTheFullScreenSlide)
{
    const auto overlays = platform::LayerShellOverlays::Connect();
    ASSERT_NE(overlays, nullptr);
    ASSERT_EQ(overlays->Outputs().size(), 1u);
    EXPECT_EQ(overlays->Outputs()[0].width, kWidth);
    EXPECT_EQ(overlays->Outputs()[0].height, kHeight);
    {
        std::unique_ptr<platform::IOverlaySurface> cover = overlays->Create(kScreen, platform::OverlayPlacement{});
        ASSERT_NE(cover, nullptr);
        ASSERT_EQ(cover->Size(), QSize(kWidth, kHeight));
        EXPECT_EQ(overlays->ShownCount(), 1);
        QRect hole(100, 100, 200, 150);
        PaintCover(*cover, QRegion(0, 0, kWidth, kHeight), hole);
        std::unique_ptr<platform::IOverlaySurface> dot = cover->AddChild(QSize(20, 20));
        ASSERT_NE(dot, nullptr);
        dot->MoveTo(QPoint(900, 600));
        dot->Paint(QRegion(0, 0, 20, 20), [](QPainter& painter) { painter.fillRect(0, 0, 20, 20, QColor::fromRgb(kDot)); });

        Screen shown = Take(*overlays);
        EXPECT_TRUE(shown.Slide(150, 150)) << std::hex << shown.At(150, 150);
        EXPECT_TRUE(shown.Dimmed(50, 50)) << std::hex << shown.At(50, 50);
        EXPECT_TRUE(shown.Dimmed(1000, 700)) << std::hex << shown.At(1000, 700);
        // Above the cover, not under it: the dot's own colour, undimmed.
        EXPECT_EQ(shown.At(910, 610), kDot);

        // Moves that send only the two holes: whichever buffer each lands in, nothing of an
        // earlier hole stays clear and the rest of the cover stays as painted.
        for (int step = 1; step <= 5; ++step) {
            const QRect next = hole.translated(100, 60);
            PaintCover(*cover, QRegion(hole) + QRegion(next), next);
            hole = next;
            dot->MoveTo(QPoint(900 - 100 * step, 600));
        }
        shown = Take(*overlays);
        EXPECT_TRUE(shown.Slide(hole.center().x(), hole.center().y()));
        for (const QPoint& was : {QPoint(150, 150), QPoint(250, 210), QPoint(450, 330), QPoint(550, 390)})
            EXPECT_TRUE(shown.Dimmed(was.x(), was.y())) << was.x() << "," << was.y() << " " << std::hex << shown.At(was.x(), was.y());
        EXPECT_EQ(shown.At(410, 610), kDot);
        EXPECT_TRUE(shown.Dimmed(910, 610)) << "the dot moved away";

        dot->Hide();
        shown = Take(*overlays);
        EXPECT_TRUE(shown.Dimmed(410, 610));
    }
    // Gone with its surfaces: the slide is back everywhere.
    EXPECT_EQ(overlays->ShownCount(), 0);
    const Screen after = Take(*overlays);
    for (const QPoint& p : {QPoint(50, 50), QPoint(150, 150), QPoint(910, 610), QPoint(1000, 700)})
        EXPECT_TRUE(after.Slide(p.x(), p.y())) << p.x() << "," << p.y();
}

TEST(LayerShellOverlays, PanelsSitWhereTheyAreAnchored)
{
    const auto overlays = platform::LayerShellOverlays::Connect();
    ASSERT_NE(overlays, nullptr);
    platform::OverlayPlacement corner;
    corner.anchor = platform::OverlayPlacement::Anchor::TopRight;
    corner.size = QSize(120, 40);
    corner.margin = 10;
    platform::OverlayPlacement middle;
    middle.anchor = platform::OverlayPlacement::Anchor::Centre;
    middle.size = QSize(200, 100);
    auto topRight = overlays->Create(kScreen, corner);
    auto centred = overlays->Create(kScreen, middle);
    ASSERT_NE(topRight, nullptr);
    ASSERT_NE(centred, nullptr);
    EXPECT_EQ(topRight->Size(), corner.size);
    for (auto* panel : {topRight.get(), centred.get()}) {
        const QSize size = panel->Size();
        panel->Paint(QRegion(QRect(QPoint(0, 0), size)), [size](QPainter& painter) {
            painter.fillRect(QRect(QPoint(0, 0), size), QColor::fromRgb(kDot));
        });
    }
    const Screen shown = Take(*overlays);
    // Top right, 10 pixels in: x 1150..1269, y 10..49.
    EXPECT_EQ(shown.At(1150, 10), kDot);
    EXPECT_EQ(shown.At(1269, 49), kDot);
    EXPECT_TRUE(shown.Slide(1149, 30));
    EXPECT_TRUE(shown.Slide(1270, 30));
    EXPECT_TRUE(shown.Slide(1200, 50));
    // Centred: x 540..739, y 350..449.
    EXPECT_EQ(shown.At(540, 350), kDot);
    EXPECT_EQ(shown.At(739, 449), kDot);
    EXPECT_TRUE(shown.Slide(539, 400));
    EXPECT_TRUE(shown.Slide(740, 400));
}

// The effects' screen is the compositor's output, not what XWayland (here a stand-in with another
// layout) reports.
TEST(LayerShellOverlays, ThePresentationScreenIsTheCompositorsOutput)
{
    const auto overlays = platform::LayerShellOverlays::Connect();
    ASSERT_NE(overlays, nullptr);
    const FakeScreens xwayland{{0, 0, 1920, 1080}, {1920, 0, 1024, 768}};
    const platform::OverlayOutputs outputs(*overlays, xwayland);
    const platform::ScreenRect screen = platform::PresentationScreen(outputs).Rect();
    EXPECT_EQ(screen.x, 0);
    EXPECT_EQ(screen.y, 0);
    EXPECT_EQ(screen.width, kWidth);
    EXPECT_EQ(screen.height, kHeight);
}

TEST(LayerShellOverlays, NoCompositorThereIsNoOverlay)
{
    EXPECT_EQ(platform::LayerShellOverlays::Connect("orvelle-no-such-wayland-display"), nullptr);
}
