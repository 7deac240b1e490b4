// The snapshot plug-in's own parts: the selection, the file names and the capture window driven
// with real mouse and key events on the offscreen platform.

#include "ScreenSnapshotApi.h"
#include "SharedLibrary.h"
#include "SnapshotFiles.h"
#include "SnapshotOnOverlay.h"
#include "SnapshotSelection.h"
#include "SnapshotWindow.h"
#include "TempDir.h"

#include <QCoreApplication>
#include <QFile>
#include <QPainter>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

TEST(SnapshotSelection, DragsAnyWayAreNormalisedAndClippedToThePicture)
{
    SnapshotSelection selection(QSize(800, 600));
    EXPECT_EQ(selection.SaveRect(), QRect(0, 0, 800, 600));
    selection.Begin({410, 310});
    selection.Drag({10, 10});
    EXPECT_EQ(selection.Rect(), QRect(10, 10, 400, 300));
    selection.Begin({700, 500});
    selection.Drag({900, 650});
    EXPECT_EQ(selection.SaveRect(), QRect(700, 500, 100, 100));
    // A press without a move (the first click of a double click) keeps what was selected.
    selection.Begin({5, 5});
    selection.Drag({5, 5});
    EXPECT_EQ(selection.Rect(), QRect(700, 500, 100, 100));
}

TEST(SnapshotFiles, NamesCarryTheMomentAndNeverOverwrite)
{
    TempDir dir;
    const QString folder = QString::fromStdString(dir.path().string());
    const QDateTime when(QDate(2026, 12, 9), QTime(5, 40, 29));
    const QString first = UniqueScreenshotPath(folder, when);
    EXPECT_TRUE(first.endsWith("/Screenshot_2026-12-09_05-40-29.png")) << first.toStdString();
    QFile(first).open(QIODevice::WriteOnly);
    const QString second = UniqueScreenshotPath(folder, when);
    EXPECT_TRUE(second.endsWith("/Screenshot_2026-12-09_05-40-29_2.png")) << second.toStdString();
}

namespace {

// A 200 x 100 picture whose pixel (x, y) encodes its position, shown 1:1.
struct CaptureWindow {
    explicit CaptureWindow(bool shown = true)
    {
        QImage picture(200, 100, QImage::Format_ARGB32);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixel(x, y, qRgb(x, y, 7));
        window = new SnapshotWindow(picture, [this](const QImage& image) { result = image; });
        window->setGeometry(0, 0, 200, 100);
        if (shown)
            window->show();
    }
    ~CaptureWindow() { delete window.data(); }
    QPointer<SnapshotWindow> window;
    std::optional<QImage> result;
};

// The compositor's overlay layer as the capture sees it: one surface at twice the window's size
// (a HiDPI screen), whose picture is kept, and the placement it was asked for.
struct FakeOverlays final : platform::IOverlaySurfaces {
    struct Surface final : platform::IOverlaySurface {
        explicit Surface(QImage* picture) : picture(picture) {}
        QSize Size() const override { return picture->size(); }
        bool Paint(const QRegion&, const std::function<void(QPainter&)>& draw) override
        {
            QPainter painter(picture);
            draw(painter);
            return true;
        }
        bool Gone() const override { return false; }
        void MoveTo(QPoint) override {}
        void Hide() override {}
        std::unique_ptr<platform::IOverlaySurface> AddChild(QSize) override { return nullptr; }
        QImage* picture;
    };
    std::unique_ptr<platform::IOverlaySurface> Create(const platform::ScreenRect&,
                                                      const platform::OverlayPlacement& asked) override
    {
        placement = asked;
        return std::make_unique<Surface>(&picture);
    }
    std::vector<platform::ScreenRect> Outputs() const override { return {}; }
    int ShownCount() const override { return 0; }
    void Sync() override {}

    QImage picture{400, 200, QImage::Format_ARGB32_Premultiplied};
    platform::OverlayPlacement placement;
};

platform::OverlayPointerEvent Pointer(platform::OverlayPointerEvent::Kind kind, QPointF at,
                                      Qt::MouseButton button = Qt::LeftButton)
{
    return {kind, at, button};
}

} // namespace

// On the overlay layer the window stays hidden: the surface's pointer (in its own pixels) and
// keys, which come on the overlay's thread, drive it, and the surface shows what it draws.
TEST(SnapshotOnOverlay, TheSurfacesPointerAndKeysDriveTheHiddenWindow)
{
    using Kind = platform::OverlayPointerEvent::Kind;
    FakeOverlays overlays;
    CaptureWindow capture(false);
    SnapshotOnOverlay* shown = SnapshotOnOverlay::Show(overlays, {0, 0, 400, 200}, capture.window);
    ASSERT_NE(shown, nullptr);
    EXPECT_FALSE(capture.window->isVisible());
    EXPECT_TRUE(overlays.placement.takesKeys);
    ASSERT_TRUE(overlays.placement.onPointer && overlays.placement.onKey);
    EXPECT_EQ(overlays.picture.pixel(100, 50), qRgb(50, 25, 7)); // the frozen picture, enlarged

    // The press arrives from the overlay's thread.
    std::thread([&] { overlays.placement.onPointer(Pointer(Kind::Press, QPointF(40, 20))); }).join();
    QCoreApplication::processEvents();
    shown->DeliverPointer(Pointer(Kind::Motion, QPointF(160, 80), Qt::NoButton));
    shown->DeliverPointer(Pointer(Kind::Release, QPointF(160, 80)));
    // Inside the selection the picture as it is, outside it dimmed.
    EXPECT_EQ(overlays.picture.pixel(100, 50), qRgb(50, 25, 7));
    EXPECT_NE(overlays.picture.pixel(300, 150), qRgb(150, 75, 7));
    shown->DeliverKey(Qt::Key_Return);
    ASSERT_TRUE(capture.result.has_value());
    ASSERT_EQ(capture.result->size(), QSize(60, 30));
    EXPECT_EQ(capture.result->pixel(0, 0), qRgb(20, 10, 7));

    // Two quick presses in one place are a double click: the whole screen.
    CaptureWindow again(false);
    shown = SnapshotOnOverlay::Show(overlays, {0, 0, 400, 200}, again.window);
    ASSERT_NE(shown, nullptr);
    for (int press = 0; press < 2 && !again.result; ++press) {
        shown->DeliverPointer(Pointer(Kind::Press, QPointF(100, 100)));
        if (!again.result)
            shown->DeliverPointer(Pointer(Kind::Release, QPointF(100, 100)));
    }
    ASSERT_TRUE(again.result.has_value());
    EXPECT_EQ(again.result->size(), QSize(200, 100));
}

TEST(SnapshotWindow, DragThenEnterGivesTheSelectedPixels)
{
    CaptureWindow capture;
    QTest::mousePress(capture.window, Qt::LeftButton, {}, QPoint(20, 10));
    QTest::mouseMove(capture.window, QPoint(80, 40));
    QTest::mouseRelease(capture.window, Qt::LeftButton, {}, QPoint(80, 40));
    QTest::keyClick(capture.window, Qt::Key_Return);
    ASSERT_TRUE(capture.result.has_value());
    ASSERT_EQ(capture.result->size(), QSize(60, 30));
    EXPECT_EQ(capture.result->pixel(0, 0), qRgb(20, 10, 7));
    EXPECT_EQ(capture.result->pixel(59, 29), qRgb(79, 39, 7));
}

TEST(SnapshotWindow, DoubleClickWithoutSelectionSavesTheWholeScreen)
{
    CaptureWindow capture;
    QTest::mouseDClick(capture.window, Qt::LeftButton, {}, QPoint(50, 50));
    ASSERT_TRUE(capture.result.has_value());
    EXPECT_EQ(capture.result->size(), QSize(200, 100));
}

TEST(SnapshotWindow, EscapeRightClickAndCancelSaveNothing)
{
    for (int way = 0; way < 3; ++way) {
        CaptureWindow capture;
        if (way == 0)
            QTest::keyClick(capture.window, Qt::Key_Escape);
        else if (way == 1)
            QTest::mouseClick(capture.window, Qt::RightButton, {}, QPoint(30, 30));
        else
            capture.window->Cancel();
        ASSERT_TRUE(capture.result.has_value()) << way;
        EXPECT_TRUE(capture.result->isNull()) << way;
    }
}

namespace {

std::atomic<bool> g_started{false};
int NoteStart(int code)
{
    if (code == KVO_SCREEN_SHOT_INI)
        g_started = true;
    return 1;
}

} // namespace

// The program ends while a capture is open: the UI thread cancels it and then waits for the
// capture thread, so the cancel must not need the UI thread's event loop.
TEST(ScreenSnapshotPlugin, CancelOnTheUiThreadEndsACaptureWithoutItsEventLoop)
{
    platform::SharedLibrary plugin;
    ASSERT_TRUE(plugin.Open(ORVELLE_SCREENSNAPSHOT_PLUGIN));
    const auto setCallBack = reinterpret_cast<SetCallBackFunctionFunc>(plugin.Symbol("SetCallBackFunction"));
    const auto snapshot = reinterpret_cast<SnapshotFunc>(plugin.Symbol("Snapshot"));
    const auto cancel = reinterpret_cast<CancelSnapshotFunc>(plugin.Symbol("CancelSnapshot"));
    ASSERT_TRUE(setCallBack && snapshot && cancel);
    setCallBack(&NoteStart);
    std::atomic<bool> returned{false};
    std::thread capture([&] {
        snapshot();
        returned = true;
    });
    while (!g_started)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    cancel();
    for (int i = 0; i < 500 && !returned; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(returned);
    if (!returned) {
        QCoreApplication::processEvents(); // let the queued cancel through, so the thread can end
        capture.join();
    } else {
        capture.join();
    }
    QCoreApplication::processEvents(); // the capture's queued opening finds it cancelled
    setCallBack(nullptr);
}
