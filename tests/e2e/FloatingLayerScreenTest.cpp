// The settings preview layer as it reaches the screen: this test program is a Qt client of its
// own Xvfb, with xcompmgr (translucent panel, cleared hole) and without (opaque panel, shaped
// hole). Checked on screenshots of the root window. ORVELLE_PREVIEW_SHOTS=<folder> keeps them.

#include "CFunctionSet_FloatingLayer_UI.h"
#include "CPaintManagerUI.h"
#include "ChildProcess.h"
#include "ConfigManager.h"
#include "TempDir.h"
#include "X11Compositor.h"

#include <QApplication>
#include <QImage>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <memory>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string g_display;

class XvfbEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (Which("Xvfb").empty() || Which("import").empty())
            return;
        m_log = open(m_dir.file("x.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        g_display = SpawnXvfb(Which("Xvfb"), "1280x800x24", InheritedEnv(), &m_xvfb, m_log);
        if (g_display.empty())
            return;
        setenv("DISPLAY", g_display.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        static int argc = 1;
        static char name[] = "orvelle_preview_screen_test";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override
    {
        CPaintManagerUI::ClearImageCache();
        m_app.reset();
        Stop(m_xvfb);
        if (m_log >= 0)
            close(m_log);
    }
    int Log() const { return m_log; }

private:
    TempDir m_dir;
    pid_t m_xvfb = -1;
    int m_log = -1;
    std::unique_ptr<QApplication> m_app;
};

XvfbEnvironment* const g_env = static_cast<XvfbEnvironment*>(::testing::AddGlobalTestEnvironment(new XvfbEnvironment));

class MainStandIn final : public WindowImplBase {
public:
    MainStandIn() : WindowImplBase("Main.xml") {}
};

constexpr QRgb kMainColour = 0xFF3399CCu;

class FloatingLayerScreenTest : public ::testing::TestWithParam<bool> {
protected:
    bool Composited() const { return GetParam(); }

    void SetUp() override
    {
        if (g_display.empty())
            GTEST_SKIP() << "Xvfb or imagemagick is not installed";
        if (Composited()) {
            if (Which("xcompmgr").empty())
                GTEST_SKIP() << "xcompmgr is not installed";
            m_compositor = Spawn({Which("xcompmgr")}, DisplayEnv(g_display), g_env->Log());
            ASSERT_TRUE(WaitFor([&] { return m_x11.IsRunning(); }, 10s)) << "xcompmgr did not start";
        }
        CPaintManagerUI::ClearImageCache();
        CPaintManagerUI::SetResourcePath(m_skin.path().string().c_str());
        std::ifstream skin(std::string(ORVELLE_SOURCE_DIR) + "/res/ImgRes/FunctionSet_Searchlight.xml");
        WriteWholeFile(m_skin.file("FunctionSet_Searchlight.xml"), std::string(std::istreambuf_iterator<char>(skin), {}));
        WriteWholeFile(m_skin.file("Main.xml"),
                       R"(<Window size="900,600"><Container name="windowbackground" bkcolor="#FF3399CC">)"
                       R"(<Label name="FunSet_Mouse_Center" float="true" pos="0,0,22,22" /></Container></Window>)");
        ASSERT_NE(m_main.Create(nullptr, "main", WS_POPUP, WS_EX_NOACTIVATE, 100, 50, 900, 600), nullptr);
        m_main.ShowWindow(true, false);
        m_config.SetInt(ConfigInt::SearchlightAlphaVal, 153, false);
        m_config.SetReal(ConfigReal::SearchlightAspectRatio, 0.5f, false);
        m_config.SetReal(ConfigReal::SearchlightBorderRound, 0.5f, false);
        CFunctionSet_FloatingLayer_UI::Hooks hooks;
        hooks.currentSubPage = [this] { return m_subPage; };
        hooks.config = &m_config;
        m_layer = std::make_unique<CFunctionSet_FloatingLayer_UI>(m_main.GetHWND(), &m_main.GetPaintManager(), hooks);
        ASSERT_TRUE(m_layer->Build());
        ASSERT_TRUE(Settle([] { return true; }));
    }

    void TearDown() override
    {
        m_layer.reset();
        Stop(m_compositor);
    }

    QImage Shot(const std::string& name) const
    {
        const char* keep = std::getenv("ORVELLE_PREVIEW_SHOTS");
        const std::string file = keep != nullptr ? std::string(keep) + "/" + name + ".png" : m_skin.file("shot.png");
        const std::string command = "DISPLAY=" + g_display + " import -window root " + file + " 2>/dev/null";
        if (std::system(command.c_str()) != 0)
            return {};
        return QImage(QString::fromStdString(file)).convertToFormat(QImage::Format_RGB32);
    }

    // Runs the event loop until the screen shows what `done` wants (or 10 s pass).
    bool Settle(const std::function<bool()>& done)
    {
        return WaitFor(
            [&] {
                QApplication::processEvents();
                QApplication::sync();
                return done();
            },
            10s, 20ms);
    }

    TempDir m_skin;
    platform::X11Compositor m_x11;
    pid_t m_compositor = -1;
    MainStandIn m_main;
    CConfigManager m_config;
    std::unique_ptr<CFunctionSet_FloatingLayer_UI> m_layer;
    int m_subPage = 0;
};

// The panel sits at (350, 190); the hole's centre at (350 + 297, 190 + 65).
constexpr int kPanelX = 355, kPanelY = 195;
constexpr int kHoleX = 647, kHoleY = 255;

TEST_P(FloatingLayerScreenTest, PanelIsDarkHoleShowsTheWindowBehindAndEmptyingHidesIt)
{
    m_layer->PlaceOverMainWindow();
    // Composited: black at 153/255 over the window behind; without a compositor opaque black.
    const int dim = Composited() ? 255 - 153 : 0;
    const auto expectDark = [&](QRgb seen) {
        return std::abs(qRed(seen) - 0x33 * dim / 255) <= 2 && std::abs(qBlue(seen) - 0xCC * dim / 255) <= 2;
    };
    QImage shot;
    const bool shown = Settle([&] {
        shot = Shot(Composited() ? "preview_composited" : "preview_shaped");
        return !shot.isNull() && expectDark(shot.pixel(kPanelX, kPanelY)) && shot.pixel(kHoleX, kHoleY) == kMainColour;
    });
    ASSERT_FALSE(shot.isNull());
    EXPECT_TRUE(shown) << std::hex << "panel " << shot.pixel(kPanelX, kPanelY) << " hole " << shot.pixel(kHoleX, kHoleY);
    EXPECT_TRUE(expectDark(shot.pixel(350 + 297, 190 + 115))) << "below the hole";
    EXPECT_FALSE(m_layer->GetWidget()->isActiveWindow());

    m_subPage = 1;
    m_layer->PlaceOverMainWindow();
    const bool emptied = Settle([&] {
        shot = Shot("preview_emptied");
        return !shot.isNull() && shot.pixel(kPanelX, kPanelY) == kMainColour;
    });
    EXPECT_TRUE(emptied) << std::hex << shot.pixel(kPanelX, kPanelY);
}

INSTANTIATE_TEST_SUITE_P(Compositor, FloatingLayerScreenTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "WithXcompmgr" : "Shaped"; });

} // namespace
