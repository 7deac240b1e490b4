// The settings window's start-up and shutdown order around the device link: the link starts
// once configuration, language and crash reporter exist and before the log file opens; it stops
// last, after the single-instance lock, the crash reporter, the tooltip and the service are gone.

#include "CMainControl.h"
#include "ConfigManager.h"
#include "CrashReporter.h"
#include "IFunctionToolTip.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class MainControlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "test_shell_main_control";
        static char* argv[] = {name, nullptr};
        if (QApplication::instance() == nullptr)
            s_app = std::make_unique<QApplication>(argc, argv);
    }
    static void TearDownTestSuite() { s_app.reset(); }

    void SetUp() override
    {
        fs::copy(fs::path(ORVELLE_SOURCE_DIR) / "res/ImgRes", dir.path() / "ImgRes", fs::copy_options::recursive);
        fs::copy_file(fs::path(ORVELLE_SOURCE_DIR) / "res/InitConfig.ini", dir.path() / "InitConfig.ini");
        WriteWholeFile(dir.file("SetupVersion.txt"), "3.4.5\n");
        CPaintManagerUI::SetResourcePath(CDuiString((dir.path() / "ImgRes").string()));
        fs::create_directories(dir.path() / "rt");
        setenv("XDG_RUNTIME_DIR", (dir.path() / "rt").c_str(), 1);
    }

    static inline std::unique_ptr<QApplication> s_app;
    TempDir dir;
};

TEST_F(MainControlTest, LinkStartsAfterTheSettingsAndStopsLast)
{
    platform::SingleInstanceLock lock;
    ASSERT_EQ(lock.Acquire("orvelle-main-control-test"), platform::SingleInstanceLock::Result::Acquired);
    std::vector<std::string> events;

    ProgramContext context;
    context.installFolder = dir.path().string();
    context.instanceLock = &lock;
    context.link.start = [&](ILogSink* sink) {
        events.push_back("start");
        ASSERT_NE(sink, nullptr);
        EXPECT_FALSE(CConfigManager::GetInstance().GetConfigPath().empty());
        EXPECT_TRUE(platform::CrashReporter::IsInstalled());
        // The log file is not open yet; the line must still reach it.
        sink->Append("link start line\r\n", 17);
    };
    context.link.freeService = [&] {
        events.push_back("service");
        EXPECT_FALSE(lock.IsHeld());
        EXPECT_FALSE(platform::CrashReporter::IsInstalled());
        EXPECT_EQ(GetFunctionToolTip(), nullptr);
    };
    context.link.stop = [&] {
        events.push_back("stop");
        EXPECT_EQ(CMainControl::GetMainWindowHandle(), nullptr);
    };

    auto window = std::make_unique<CMainControl>(context);
    ASSERT_NE(window->Create(nullptr, "", WS_POPUP, 0), nullptr);
    EXPECT_EQ(events, std::vector<std::string>{"start"});
    EXPECT_EQ(CMainControl::GetMainWindowHandle(), window->GetHWND());
    EXPECT_NE(GetFunctionToolTip(), nullptr);
    EXPECT_EQ(window->GetMainPage().GetCurrentPage(), CMainPageUI::kSetPage);
    const std::string log = window->GetLogPath();
    EXPECT_EQ(fs::path(log).parent_path(), dir.path() / "log");
    EXPECT_NE(ReadWholeFile(log).find("link start line"), std::string::npos);

    // The close message of other programs reaches the shutdown through the main page.
    window->SendMessage(WM_SOFT_KILL, 0, 0);
    EXPECT_EQ(events, (std::vector<std::string>{"start", "service", "stop"}));
    EXPECT_TRUE(window->IsShutDown());
    window->Shutdown();
    window.reset();
    EXPECT_EQ(events.size(), 3u);
}

TEST_F(MainControlTest, CloseDuringTheLinksStartEndsTheProgramOnlyOnceItIsUp)
{
    std::vector<std::string> events;
    std::unique_ptr<CMainControl> window;
    ProgramContext context;
    context.installFolder = dir.path().string();
    context.link.start = [&](ILogSink*) {
        events.push_back("start");
        // The tray icon is asked for before the link's settle pause, not after it.
        EXPECT_FALSE(window->GetMainPage().GetTray()->GetTip().empty());
        // What the pause's event loop may deliver: the close message and the tray's close item.
        window->SendMessage(WM_SOFT_KILL, 0, 0);
        window->GetMainPage().GetTray()->GetMenuAction(CTrayIcon::kMenuClose)->trigger();
        events.push_back("started");
    };
    context.link.freeService = [&] { events.push_back("service"); };
    context.link.stop = [&] { events.push_back("stop"); };

    window = std::make_unique<CMainControl>(context);
    ASSERT_NE(window->Create(nullptr, "", WS_POPUP, 0), nullptr);
    EXPECT_EQ(events, (std::vector<std::string>{"start", "started"}));
    EXPECT_FALSE(window->IsShutDown());
    for (int i = 0; i < 50 && !window->IsShutDown(); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_TRUE(window->IsShutDown());
    EXPECT_EQ(events, (std::vector<std::string>{"start", "started", "service", "stop"}));
    window.reset();
}

} // namespace
