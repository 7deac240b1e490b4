// Cost of one effect move at 1920 x 1080 and 3840 x 2160 on the offscreen platform: the time
// from Move to the window change handed to the window system (the repaint and backing-store
// flush included), and the pixels repainted per move. The spotlight must repaint at most its
// old and new hole (compositor) or nothing but its shape (no compositor), never the screen; the
// laser dot moves its window and repaints nothing; a pen segment repaints its own box and a
// lens move the lens alone, over a frozen picture taken once.

#include "CPresenterDigitalLaser.h"
#include "CPresenterSearchLight.h"
#include "CPaintManagerUI.h"
#include "ConfigManager.h"
#include "DigitalLaser_UI.h"
#include "ICompositor.h"
#include "IPresentationScreen.h"
#include "LaserOverlay.h"
#include "CPostilAnnotation.h"
#include "CPostilDrawWindow.h"
#include "CPresenterPostil.h"
#include "IScreenCapture.h"
#include "MagnifierLens.h"
#include "FrozenScreen.h"

#include <QApplication>
#include <QPaintEvent>
#include <QWidget>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

namespace {

class FixedScreen final : public platform::IPresentationScreen {
public:
    explicit FixedScreen(platform::ScreenRect rect) : m_rect(rect) {}
    platform::ScreenRect Rect() const override { return m_rect; }

private:
    platform::ScreenRect m_rect;
};

class FixedCompositor final : public platform::ICompositor {
public:
    explicit FixedCompositor(bool running) : m_running(running) {}
    bool IsRunning() override { return m_running; }

private:
    bool m_running;
};

// Adds up the area of every paint event of every widget (a pixel painted by a window and by two
// of its controls counts three times), and the area those events cover in their windows.
class PaintCounter final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType()) {
            const auto* widget = static_cast<QWidget*>(watched);
            const QRegion& region = static_cast<QPaintEvent*>(event)->region();
            for (const QRect& r : region)
                pixels += static_cast<long long>(r.width()) * r.height();
            m_damage += region.translated(widget->mapTo(widget->window(), QPoint(0, 0)));
        }
        return false;
    }
    // Ends one move: its damaged area is added up.
    void EndMove()
    {
        for (const QRect& r : m_damage)
            damaged += static_cast<long long>(r.width()) * r.height();
        m_damage = QRegion();
    }
    // The pixels painted and damaged per move of `state`'s run.
    void Report(benchmark::State& state) const
    {
        const auto moves = static_cast<double>(state.iterations());
        state.counters["px_painted_per_move"] = benchmark::Counter(static_cast<double>(pixels) / moves);
        state.counters["px_damaged_per_move"] = benchmark::Counter(static_cast<double>(damaged) / moves);
    }
    long long pixels = 0;
    long long damaged = 0;

private:
    QRegion m_damage;
};

// The two monitors of the offscreen platform (see main).
const platform::ScreenRect kScreens[] = {{0, 0, 1920, 1080}, {1920, 0, 3840, 2160}};

EffectPoint CirclePoint(const platform::ScreenRect& s, int i)
{
    const double a = i * 0.05;
    return {s.x + s.width / 2 + static_cast<int>(std::lround(std::cos(a) * s.height / 4)),
            s.y + s.height / 2 + static_cast<int>(std::lround(std::sin(a) * s.height / 4))};
}

EffectServices Services(const FixedScreen& screen, FixedCompositor& compositor, CConfigManager& config)
{
    EffectServices services;
    services.screen = &screen;
    services.compositor = &compositor;
    services.config = &config;
    services.stopFunction = [] {};
    return services;
}

// What every effect benchmark runs on: one of the monitors, a compositor switch and settings.
struct Scene {
    explicit Scene(const benchmark::State& state, bool composited = true)
        : rect(kScreens[state.range(0)]), screen(rect), compositor(composited)
    {
    }
    EffectServices Services() { return ::Services(screen, compositor, config); }
    // The effect's size setting, large on the large screen.
    void SetSize(CConfigManager::EffectSize which, CConfigManager::Size large, CConfigManager::Size normal)
    {
        config.SetEffectSize(which, rect.width > 2700 ? large : normal);
    }

    const platform::ScreenRect rect;
    const FixedScreen screen;
    FixedCompositor compositor;
    CConfigManager config;
};

// Times `move(i)` for i = 1, 2, ... with the events it causes (paints and flushes), counting the
// pixels each move repaints.
template <class Move>
void MeasureMoves(benchmark::State& state, const Move& move)
{
    PaintCounter counter;
    qApp->installEventFilter(&counter);
    int i = 1;
    for (auto _ : state) {
        move(i++);
        QCoreApplication::processEvents();
        counter.EndMove();
    }
    qApp->removeEventFilter(&counter);
    counter.Report(state);
}

// Each case at 1920 x 1080 and 3840 x 2160, with a compositor and without one.
void BothScreensWithAndWithoutCompositor(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"screen4k", "compositor"})->Args({0, 1})->Args({1, 1})->Args({0, 0})->Args({1, 0});
    b->Unit(benchmark::kMicrosecond);
}

void BM_SpotlightMove(benchmark::State& state)
{
    Scene scene(state, state.range(1) != 0);
    scene.SetSize(CConfigManager::EffectSize::Spotlight, {1280, 540}, {540, 351});
    scene.config.SetInt(ConfigInt::SearchlightShowMouse, 1, false);
    CPresenterSearchLight light(scene.Services());
    light.Create();
    light.Show(CirclePoint(scene.rect, 0));
    QCoreApplication::processEvents();
    MeasureMoves(state, [&](int i) { light.Move(CirclePoint(scene.rect, i)); });
    state.counters["screen_px"] = static_cast<double>(scene.rect.width) * scene.rect.height;
    light.Hide(true);
    QCoreApplication::processEvents();
}
BENCHMARK(BM_SpotlightMove)->Apply(BothScreensWithAndWithoutCompositor);

void BM_LaserMove(benchmark::State& state)
{
    Scene scene(state);
    scene.config.SetEffectSize(CConfigManager::EffectSize::LaserDot, CConfigManager::Size{280, 280});
    EffectServices services = scene.Services();
    services.effectPoint = [rect = scene.rect] { return CirclePoint(rect, 0); };
    CPresenterDigitalLaser laser(services);
    laser.Create();
    laser.Show({});
    LaserOverlay* overlay = laser.GetWindow()->GetOverlay();
    while (!overlay->isVisible())
        QCoreApplication::processEvents();
    const int renders = overlay->RenderCount();
    // The worker's step, without its queue: what the UI thread does per move.
    MeasureMoves(state, [&](int i) { laser.GetWindow()->PostDraw(CirclePoint(scene.rect, i), {280, 280}, false); });
    state.counters["picture_scalings"] = overlay->RenderCount() - renders;
    laser.Hide(true);
}
BENCHMARK(BM_LaserMove)->ArgNames({"screen4k"})->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The desktop of the two monitors as one grey picture.
class GreyDesktop final : public platform::IScreenCapture {
public:
    bool CaptureVirtualScreen(platform::CapturedScreen& out) override
    {
        out.width = 1920 + 3840;
        out.height = 2160;
        out.pixels = std::make_unique<uint32_t[]>(static_cast<size_t>(out.width) * out.height);
        std::fill_n(out.pixels.get(), static_cast<size_t>(out.width) * out.height, 0xFF808080u);
        return true;
    }
};

void BM_PenSegment(benchmark::State& state)
{
    Scene scene(state);
    GreyDesktop desktop;
    EffectServices services = scene.Services();
    services.capture = &desktop;
    CPresenterPostil pen(services);
    pen.Create();
    pen.Show(CirclePoint(scene.rect, 0));
    CPostilAnnotation& annotation = *pen.GetAnnotation();
    annotation.DrawSegmentTo(CirclePoint(scene.rect, 0));
    QCoreApplication::processEvents();
    // The motion thread's step, without its queue: the segment and its repaint.
    MeasureMoves(state, [&](int i) { annotation.DrawSegmentTo(CirclePoint(scene.rect, i)); });
    state.counters["screen_px"] = static_cast<double>(scene.rect.width) * scene.rect.height;
    pen.Hide(true);
    QCoreApplication::processEvents();
}
BENCHMARK(BM_PenSegment)->ArgNames({"screen4k"})->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_LensMove(benchmark::State& state)
{
    Scene scene(state, state.range(1) != 0);
    const bool large = scene.rect.width > 2700;
    const EffectSize size = large ? EffectSize{1280, 640} : EffectSize{540, 270};
    GreyDesktop desktop;
    const FrozenScreen frozen = FrozenScreen::Capture(&desktop, "BM_LensMove");
    QImage marker(28, 28, QImage::Format_ARGB32_Premultiplied);
    marker.fill(Qt::white);
    const EffectSurface surface = EffectSurface::For(scene.rect);
    const MagnifierLens::Look look{size, 2.0f, 0.5f, scene.compositor.IsRunning()};
    MagnifierLens lens;
    lens.Render(frozen.image, CirclePoint(scene.rect, 0), look, &marker, surface, CirclePoint(scene.rect, 0));
    QCoreApplication::processEvents();
    const int builds = lens.BufferBuilds();
    // What the UI thread does for each frame of the lens: move it and repaint it from the picture.
    MeasureMoves(state, [&](int i) {
        const EffectPoint at = CirclePoint(scene.rect, i);
        lens.Render(frozen.image, at, look, &marker, surface, at);
    });
    state.counters["buffer_builds"] = lens.BufferBuilds() - builds;
    lens.Collapse();
}
BENCHMARK(BM_LensMove)->Apply(BothScreensWithAndWithoutCompositor);

void Quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

} // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path screens = std::filesystem::temp_directory_path() / "orvelle_bench_effects_screens.json";
    std::ofstream(screens) << R"({"screens":[{"name":"hd","x":0,"y":0,"width":1920,"height":1080,"logicalDpi":96},)"
                              R"({"name":"uhd","x":1920,"y":0,"width":3840,"height":2160,"logicalDpi":96}]})";
    setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screens.string()).c_str(), 1);
    // The offscreen platform cannot shape windows and says so at every shape change.
    qInstallMessageHandler(Quiet);
    QApplication app(argc, argv);
    // The skins and pictures of the build's install folder (build/bin beside build/bench).
    CPaintManagerUI::SetResourcePath(CDuiString((QCoreApplication::applicationDirPath() + "/../bin/ImgRes").toStdString()));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove(screens);
    return 0;
}
