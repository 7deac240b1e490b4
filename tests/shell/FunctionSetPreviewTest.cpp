// The function setting page's previews: where the floating layer puts its hole and the marker,
// what it shows with and without a compositor, and the magnifier's enlarged picture on disk.

#include "CFunctionSet_FloatingLayer_UI.h"
#include "CZoomPreview.h"
#include "ConfigManager.h"
#include "FloatingLayerGeometry.h"
#include "QtAppEnvironment.h"

#include <QApplication>
#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using Geometry = FloatingLayerGeometry;

namespace {

void ExpectRect(const RECT& r, long left, long top, long right, long bottom)
{
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right, right);
    EXPECT_EQ(r.bottom, bottom);
}

TEST(FloatingLayerGeometryTest, HoleCentreAndMarkerFollowTheAspectRatio)
{
    const Geometry::Shape defaults = Geometry::ShapeFor(0.5f, 0.5f);
    ExpectRect(defaults.hole, 207, 20, 387, 110);
    EXPECT_EQ(defaults.round.cx, 90);
    EXPECT_EQ(defaults.round.cy, 45);
    EXPECT_EQ(defaults.centre.x, 297);
    EXPECT_EQ(defaults.centre.y, 65);
    // The main window's marker label as the skin places it for the defaults.
    ExpectRect(Geometry::MainMarkerRect(defaults.centre), 536, 194, 558, 216);
    ExpectRect(Geometry::LayerMarkerRect(defaults.centre), 286, 54, 308, 76);

    const Geometry::Shape flat = Geometry::ShapeFor(0.1f, 0.25f);
    ExpectRect(flat.hole, 207, 20, 387, 74); // clamped to 0.3: 54 high
    EXPECT_EQ(flat.round.cx, 45);
    EXPECT_EQ(flat.round.cy, 13);
    EXPECT_EQ(flat.centre.y, 47);

    const Geometry::Shape square = Geometry::ShapeFor(1.0f, 0.0f);
    ExpectRect(square.hole, 207, 20, 387, 200);
    EXPECT_EQ(square.round.cx, 0);
    // Values no slider gives stay inside the panel.
    EXPECT_LE(Geometry::ShapeFor(7.0f, 0.5f).hole.bottom, Geometry::kHeight);
    ExpectRect(Geometry::ShapeFor(std::numeric_limits<float>::quiet_NaN(), 0.5f).hole, 207, 20, 387, 110);

    ExpectRect(Geometry::PanelRect(100, 50), 350, 190, 945, 410);
    EXPECT_EQ(Geometry::EffectFor(true, 0), Geometry::Effect::Spotlight);
    EXPECT_EQ(Geometry::EffectFor(true, 2), Geometry::Effect::Magnifier);
    EXPECT_EQ(Geometry::EffectFor(true, 1), Geometry::Effect::None);
    EXPECT_EQ(Geometry::EffectFor(true, -1), Geometry::Effect::None);
    EXPECT_EQ(Geometry::EffectFor(false, 0), Geometry::Effect::None);
}

class MainStandIn final : public WindowImplBase {
public:
    MainStandIn() : WindowImplBase("Main.xml") {}
};

class FloatingLayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::ifstream skin(std::string(ORVELLE_SOURCE_DIR) + "/res/ImgRes/FunctionSet_Searchlight.xml");
        m_skin.Write("FunctionSet_Searchlight.xml", std::string(std::istreambuf_iterator<char>(skin), {}));
        m_skin.Write("Main.xml", R"(<Window size="900,600"><Container name="windowbackground" bkcolor="#FF336699">)"
                                 R"(<Label name="FunSet_Mouse_Center" float="true" pos="0,0,22,22" /></Container></Window>)");
        ASSERT_NE(m_main.Create(nullptr, "main", WS_POPUP, 0, 100, 50, 900, 600), nullptr);
        m_config.SetInt(ConfigInt::SearchlightAlphaVal, 153, false);
        m_config.SetReal(ConfigReal::SearchlightAspectRatio, 0.5f, false);
        m_config.SetReal(ConfigReal::SearchlightBorderRound, 0.5f, false);
        m_config.SetInt(ConfigInt::ZoomAlphaVal, 204, false);
        m_config.SetReal(ConfigReal::ZoomAspectRatio, 0.2f, false);
        m_config.SetReal(ConfigReal::ZoomBorderRound, 0.0f, false);
        CFunctionSet_FloatingLayer_UI::Hooks hooks = TestHooks();
        hooks.mainWindowRect = [] { return RECT{100, 50, 1000, 650}; };
        hooks.mainWindowVisible = [this] { return m_visible; };
        m_layer = std::make_unique<CFunctionSet_FloatingLayer_UI>(m_main.GetHWND(), &m_main.GetPaintManager(), hooks);
        ASSERT_TRUE(m_layer->Build());
    }

    // What every layer of these tests asks: the test's sub-page, compositor and settings.
    CFunctionSet_FloatingLayer_UI::Hooks TestHooks()
    {
        CFunctionSet_FloatingLayer_UI::Hooks hooks;
        hooks.currentSubPage = [this] { return m_subPage; };
        hooks.composited = [this] { return m_composited; };
        hooks.config = &m_config;
        return hooks;
    }

    QWidget* Host() const { return m_layer->GetWidget(); }
    QImage Grab() const { return Host()->grab().toImage().convertToFormat(QImage::Format_ARGB32); }

    SkinFolder m_skin;
    MainStandIn m_main;
    CConfigManager m_config;
    std::unique_ptr<CFunctionSet_FloatingLayer_UI> m_layer;
    int m_subPage = 0;
    bool m_visible = true;
    bool m_composited = true;
};

TEST_F(FloatingLayerTest, CompositedPanelIsDarkAtTheEffectsAlphaWithAClearHole)
{
    m_layer->PlaceOverMainWindow();
    ASSERT_TRUE(m_layer->IsShownOver());
    EXPECT_TRUE(Host()->isVisible());
    EXPECT_EQ(Host()->geometry(), QRect(350, 190, 595, 220));
    const QImage shot = Grab();
    EXPECT_EQ(qAlpha(shot.pixel(5, 5)), 153);
    EXPECT_EQ(qRed(shot.pixel(5, 5)), 0);
    EXPECT_EQ(qAlpha(shot.pixel(297, 65)), 0);          // hole centre
    EXPECT_EQ(qAlpha(shot.pixel(297, 115)), 153);       // just below the 90-high hole
    EXPECT_EQ(qAlpha(shot.pixel(209, 22)), 153);        // a rounded corner stays dark
    const CControlUI* marker = m_main.GetPaintManager().FindControl("FunSet_Mouse_Center");
    ASSERT_NE(marker, nullptr);
    ExpectRect(marker->GetPos(), 536, 194, 558, 216);

    // The magnifier's values, live: a flat (clamped) square-cornered hole and its own alpha.
    m_subPage = 2;
    m_layer->PlaceOverMainWindow();
    const QImage zoom = Grab();
    EXPECT_EQ(qAlpha(zoom.pixel(5, 5)), 204);
    EXPECT_EQ(qAlpha(zoom.pixel(208, 21)), 0); // no rounding
    EXPECT_EQ(qAlpha(zoom.pixel(297, 76)), 204); // below the 54-high hole
    ExpectRect(marker->GetPos(), 536, 176, 558, 198);
}

TEST_F(FloatingLayerTest, WithoutCompositorTheShapeCutsTheHoleOutOfAnOpaquePanel)
{
    m_composited = false;
    m_layer->PlaceOverMainWindow();
    ASSERT_TRUE(Host()->isVisible());
    const QRegion shape = Host()->mask();
    EXPECT_FALSE(shape.contains(QPoint(297, 65)));
    EXPECT_TRUE(shape.contains(QPoint(5, 5)));
    EXPECT_TRUE(shape.contains(QPoint(297, 115)));
    EXPECT_EQ(qAlpha(Grab().pixel(5, 5)), 255);

    // A compositor that comes up is followed at the next placement.
    m_composited = true;
    m_layer->PlaceOverMainWindow();
    EXPECT_TRUE(Host()->mask().isEmpty());
    EXPECT_EQ(qAlpha(Grab().pixel(297, 65)), 0);
}

TEST_F(FloatingLayerTest, OtherSubPagesAndAHiddenWindowEmptyTheLayer)
{
    m_layer->PlaceOverMainWindow();
    ASSERT_TRUE(Host()->isVisible());
    for (const auto& [subPage, visible] : {std::pair{1, true}, std::pair{-1, true}, std::pair{0, false}}) {
        m_layer->PlaceOverMainWindow();
        m_subPage = subPage;
        m_visible = visible;
        m_layer->PlaceOverMainWindow();
        EXPECT_FALSE(Host()->isVisible()) << subPage << visible;
        EXPECT_FALSE(m_layer->IsShownOver());
        m_subPage = 0;
        m_visible = true;
    }
    m_layer->PlaceOverMainWindow();
    m_layer->SetEmptyRect();
    EXPECT_FALSE(Host()->isVisible());

    // The main window hidden by anyone (an effect that starts hides it from the service) takes
    // the layer with it at once, without a re-place message.
    m_main.ShowWindow(true);
    m_layer->PlaceOverMainWindow();
    ASSERT_TRUE(Host()->isVisible());
    m_main.ShowWindow(false);
    EXPECT_FALSE(Host()->isVisible());
    EXPECT_FALSE(m_layer->IsShownOver());
}

TEST_F(FloatingLayerTest, FollowsTheMainWindowMovedByTheWindowManagerAndLeavesWhileItIsMinimised)
{
    // The real main window's place and state.
    CFunctionSet_FloatingLayer_UI layer(m_main.GetHWND(), &m_main.GetPaintManager(), TestHooks());
    ASSERT_TRUE(layer.Build());
    QWidget* main = m_main.GetWidget();
    QWidget* host = layer.GetWidget();
    m_main.ShowWindow(true);
    layer.PlaceOverMainWindow();
    const QPoint offset(Geometry::kOffsetX, Geometry::kOffsetY);
    ASSERT_EQ(host->pos(), main->pos() + offset);

    main->move(400, 300); // not through the caption drag: nothing posts a re-place
    QCoreApplication::processEvents();
    EXPECT_EQ(host->pos(), QPoint(400, 300) + offset);

    main->showMinimized();
    QCoreApplication::processEvents();
    EXPECT_FALSE(layer.IsShownOver());
    EXPECT_FALSE(host->isVisible());
    main->showNormal();
    QCoreApplication::processEvents();
    EXPECT_TRUE(layer.IsShownOver());
    EXPECT_EQ(host->pos(), main->pos() + offset);
}

TEST_F(FloatingLayerTest, WhereWindowsPlaceThemselvesThePanelIsAPartOfTheMainWindow)
{
    m_composited = false; // no compositing manager is needed for it
    CFunctionSet_FloatingLayer_UI::Hooks hooks = TestHooks();
    hooks.insideMainWindow = true;
    m_layer.reset();
    CFunctionSet_FloatingLayer_UI layer(m_main.GetHWND(), &m_main.GetPaintManager(), hooks);
    ASSERT_TRUE(layer.Build());
    QWidget* main = m_main.GetWidget();
    QWidget* host = layer.GetWidget();
    m_main.ShowWindow(true);
    layer.PlaceOverMainWindow();
    ASSERT_TRUE(layer.IsShownOver());
    EXPECT_FALSE(host->isWindow());
    EXPECT_EQ(host->parentWidget(), main);
    EXPECT_EQ(host->geometry(), QRect(250, 140, 595, 220));
    EXPECT_EQ(main->childAt(250 + 5, 140 + 5), m_main.GetPaintManager().FindControl("windowbackground"));

    // The page (#336699) dimmed by the spotlight's alpha 153 around the hole, untouched in it.
    const QImage shot = main->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const auto near = [](QRgb seen, int r, int g, int b) {
        return std::abs(qRed(seen) - r) <= 2 && std::abs(qGreen(seen) - g) <= 2 && std::abs(qBlue(seen) - b) <= 2;
    };
    EXPECT_TRUE(near(shot.pixel(250 + 5, 140 + 5), 20, 41, 61)) << std::hex << shot.pixel(255, 145);
    EXPECT_TRUE(near(shot.pixel(250 + 297, 140 + 115), 20, 41, 61));
    EXPECT_TRUE(near(shot.pixel(250 + 297, 140 + 65), 0x33, 0x66, 0x99)) << std::hex << shot.pixel(547, 205);
    EXPECT_TRUE(near(shot.pixel(244, 145), 0x33, 0x66, 0x99)); // left of the panel

    main->move(400, 300);
    QCoreApplication::processEvents();
    EXPECT_EQ(host->pos(), QPoint(250, 140));
    m_main.ShowWindow(false);
    EXPECT_TRUE(host->isHidden());
    m_main.ShowWindow(true);
    QCoreApplication::processEvents();
    EXPECT_TRUE(layer.IsShownOver());
    m_subPage = 1;
    layer.PlaceOverMainWindow();
    EXPECT_TRUE(host->isHidden());
}

// A picture with a vertical border at x = 297 (the preview label's centre): red left, blue right.
void WriteZoomSource(const fs::path& skin)
{
    fs::create_directories(skin / "bkimage");
    QImage picture(595, 220, QImage::Format_RGB32);
    for (int y = 0; y < 220; ++y)
        for (int x = 0; x < 595; ++x)
            picture.setPixel(x, y, x < 297 ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
    ASSERT_TRUE(picture.save(QString::fromStdString((skin / "bkimage/Zoom.bmp").string()), "BMP"));
}

TEST(ZoomPreviewTest, EnlargesTheAreaUnderTheLabelOncePerScale)
{
    TempDir dir;
    const fs::path skin = dir.path() / "ImgRes";
    WriteZoomSource(skin);
    CConfigManager config;
    config.SetReal(ConfigReal::ZoomAspectRatio, 0.5f, false);
    CZoomPreview preview(skin.string(), (dir.path() / "user").string(), &config);

    const std::string path = preview.Make(2.0);
    EXPECT_EQ(path, (skin / "SubZoomPng/SubZoom_90_2.00.png").string());
    const QImage made(QString::fromStdString(path));
    ASSERT_FALSE(made.isNull());
    EXPECT_EQ(made.size(), QSize(180, 90));
    // 90 x 45 source pixels around (297, 65), twice as large: the border lands in the middle.
    const auto near = [](QRgb seen, QRgb want) {
        return qAlpha(seen) == 255 && std::abs(qRed(seen) - qRed(want)) <= 3 && std::abs(qGreen(seen) - qGreen(want)) <= 3 &&
               std::abs(qBlue(seen) - qBlue(want)) <= 3;
    };
    EXPECT_TRUE(near(made.pixel(80, 45), qRgb(255, 0, 0))) << std::hex << made.pixel(80, 45);
    EXPECT_TRUE(near(made.pixel(100, 45), qRgb(0, 0, 255))) << std::hex << made.pixel(100, 45);
    EXPECT_TRUE(near(made.pixel(5, 5), qRgb(255, 0, 0)));

    // Made once: a new page (no memory of it) takes the file as it is.
    const auto stamp = fs::last_write_time(path) + std::chrono::seconds(5);
    fs::last_write_time(path, stamp);
    EXPECT_EQ(CZoomPreview(skin.string(), "", &config).Make(2.0), path);
    EXPECT_EQ(fs::last_write_time(path), stamp);

    EXPECT_EQ(preview.Make(2.5), (skin / "SubZoomPng/SubZoom_90_2.50.png").string());
    config.SetReal(ConfigReal::ZoomAspectRatio, 0.1f, false);
    const std::string flat = preview.Make(1.5);
    EXPECT_EQ(flat, (skin / "SubZoomPng/SubZoom_54_1.50.png").string());
    EXPECT_EQ(QImage(QString::fromStdString(flat)).size(), QSize(180, 54));

    EXPECT_EQ(preview.Make(0.0), "");
    EXPECT_EQ(CZoomPreview((dir.path() / "none").string(), "", &config).Make(2.0), "");
}

TEST(ZoomPreviewTest, AReadOnlySkinFolderSendsThePictureToTheUsersFolder)
{
    TempDir dir;
    const fs::path skin = dir.path() / "ImgRes";
    const fs::path user = dir.path() / "user";
    WriteZoomSource(skin);
    fs::create_directories(user);
    fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    fs::permissions(skin, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec |
                              fs::perms::group_read | fs::perms::others_read);
    fs::permissions(skin / "bkimage", fs::perms::owner_all | fs::perms::others_exec | fs::perms::others_read);
    fs::permissions(skin / "bkimage/Zoom.bmp", fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    const bool root = geteuid() == 0;
    if (root)
        ASSERT_EQ(chown(user.c_str(), 65534, 65534), 0);
    else
        fs::permissions(skin, fs::perms::owner_read | fs::perms::owner_exec);

    // Root writes anywhere: the check runs as an ordinary user in a child.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (root && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(3);
        CConfigManager config;
        config.SetReal(ConfigReal::ZoomAspectRatio, 0.5f, false);
        const std::string path = CZoomPreview(skin.string(), user.string(), &config).Make(2.0);
        _exit(path == (user / "SubZoomPng/SubZoom_90_2.00.png").string() && QImage(QString::fromStdString(path)).width() == 180 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    fs::permissions(skin, fs::perms::owner_all);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_FALSE(fs::exists(skin / "SubZoomPng"));
}

} // namespace
