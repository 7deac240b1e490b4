// Window placement on scaled screens: two 1920 x 1080 monitors side by side at a device pixel
// ratio of 1.5, so Qt's logical desktop is two 1280 x 720 screens whose top-left corners stay at
// their physical positions. The monitor list stays physical; every window must still land on
// its monitor in logical coordinates.

#include "CMainControl.h"
#include "CMessageBoxUI.h"
#include "ConfigManager.h"
#include "LanguageConfig.h"
#include "QtScreens.h"
#include "ToolTip_Fun.h"

#include "ScaledOffscreenApp.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QWidget>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

namespace {

bool operator==(const platform::ScreenRect& a, const platform::ScreenRect& b)
{
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

QRect ToQRect(const platform::ScreenRect& r) { return QRect(r.x, r.y, r.width, r.height); }

class ScaledPlacement : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_config = std::make_unique<TempDir>();
        s_app = MakeScaledOffscreenApp(*s_config, 1920, 1080, "1.5");
    }
    static void TearDownTestSuite()
    {
        s_app.reset();
        s_config.reset();
    }

    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::screens().size(), 2);
        ASSERT_DOUBLE_EQ(QGuiApplication::screens()[1]->devicePixelRatio(), 1.5);
        const fs::path source = fs::path(ORVELLE_SOURCE_DIR) / "res";
        fs::copy(source / "ImgRes", dir.path() / "ImgRes", fs::copy_options::recursive);
        fs::copy_file(source / "InitConfig.ini", dir.path() / "InitConfig.ini");
        fs::create_directories(dir.path() / "rt");
        setenv("XDG_RUNTIME_DIR", (dir.path() / "rt").c_str(), 1);
        CPaintManagerUI::SetResourcePath(CDuiString((dir.path() / "ImgRes").string()));
        CLanguageConfig::GetInstance().SetBaseFolder(dir.path().string());
        CLanguageConfig::GetInstance().InitFromLcid(1033);
        CConfigManager::GetInstance().SetInstallFolder(dir.path().string());
        CConfigManager::GetInstance().FirstRunDefaults();
    }

    static QRect Logical(int screen) { return QGuiApplication::screens()[screen]->geometry(); }

    static inline std::unique_ptr<TempDir> s_config;
    static inline std::unique_ptr<QApplication> s_app;
    TempDir dir;
    platform::QtScreens screens;
};

TEST_F(ScaledPlacement, MonitorsArePhysicalAndMapBackOntoTheirScreens)
{
    const auto monitors = screens.Monitors();
    ASSERT_EQ(monitors.size(), 2u);
    EXPECT_TRUE((monitors[0] == platform::ScreenRect{0, 0, 1920, 1080}));
    EXPECT_TRUE((monitors[1] == platform::ScreenRect{1920, 0, 1920, 1080}));
    EXPECT_EQ(Logical(1), QRect(1920, 0, 1280, 720));
    EXPECT_EQ(ToQRect(platform::LogicalFromPhysical(monitors[0])), Logical(0));
    EXPECT_EQ(ToQRect(platform::LogicalFromPhysical(monitors[1])), Logical(1));
    // A rectangle inside the right monitor maps through that monitor's origin.
    EXPECT_EQ(ToQRect(platform::LogicalFromPhysical({1920 + 960, 540, 30, 60})), QRect(1920 + 640, 360, 20, 40));
}

TEST_F(ScaledPlacement, ToolTipSitsInTheTopRightCornerOfTheLastMonitor)
{
    ToolTip_Fun tooltip(screens);
    ASSERT_TRUE(tooltip.Create(nullptr));
    tooltip.SetToolTipMode(2);
    const QWidget* widget = tooltip.GetWindow().GetWidget();
    ASSERT_TRUE(widget->isVisible());
    EXPECT_EQ(widget->geometry(), QRect(Logical(1).right() + 1 - 285, 0, 285, 125));
    EXPECT_EQ(widget->screen(), QGuiApplication::screens()[1]);
    tooltip.Destroy();
}

TEST_F(ScaledPlacement, MessageBoxIsCentredOnTheMonitorUnderTheCursor)
{
    // Qt's cursor position is logical too.
    CMessageBoxUI box(screens, [] { return POINT{2000, 100}; });
    ASSERT_TRUE(box.Build());
    box.ShowMessage("Short", 1000);
    EXPECT_EQ(box.GetWidget()->geometry().center(), Logical(1).center());
    EXPECT_EQ(box.GetWidget()->size(), QSize(CMessageBoxUI::kWidth, CMessageBoxUI::kHeight));
    box.Destroy();
}

TEST_F(ScaledPlacement, SettingsWindowIsCentredInsideTheFirstMonitor)
{
    ProgramContext context;
    context.installFolder = dir.path().string();
    CMainControl window(context);
    // Started on the other monitor, so that only the window's own centring brings it here.
    ASSERT_NE(window.Create(nullptr, "", WS_POPUP, 0, Logical(1).x(), 0), nullptr);
    const QRect frame = window.GetWidget()->geometry();
    EXPECT_TRUE(Logical(0).contains(frame)) << frame.x() << "," << frame.y() << " " << frame.width() << "x"
                                            << frame.height();
    EXPECT_LE((frame.center() - Logical(0).center()).manhattanLength(), 1);
    window.Shutdown();
}

} // namespace
