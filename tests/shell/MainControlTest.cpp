// The settings window's start-up and shutdown order around the device link: the link starts
// once configuration, language and crash reporter exist and before the log file opens; it stops
// last, after the single-instance lock, the crash reporter, the tooltip and the service are gone.

#include "CFunctionSetPageUI.h"
#include "CMainControl.h"
#include "ConfigManager.h"
#include "LanguageConfig.h"
#include "CrashReporter.h"
#include "IFunctionToolTip.h"
#include "InstallFolderTest.h"

#include <gtest/gtest.h>

#include <QApplication>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class MainControlTest : public InstallFolderTest {
protected:
    void SetUp() override
    {
        InstallFolderTest::SetUp();
        fs::copy_file(fs::path(ORVELLE_SOURCE_DIR) / "res/InitConfig.ini", dir.path() / "InitConfig.ini");
    }
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

// Every text the settings window shows on its pages and sub-pages, by control.
std::map<std::string, std::string> ShownTexts(CMainControl& window)
{
    std::map<std::string, std::string> texts;
    const auto collect = [&] {
        QCoreApplication::processEvents();
        for (const CControlUI* control : window.GetWidget()->findChildren<CControlUI*>()) {
            const std::string text = control->GetText().str();
            if (control->isVisibleTo(window.GetWidget()) && !text.empty())
                texts[control->GetName().str()] = text;
        }
    };
    CMainPageUI& main = window.GetMainPage();
    for (int page : {CMainPageUI::kSelectPage, CMainPageUI::kAboutPage}) {
        main.SelectPage(page);
        collect();
    }
    main.SelectPage(CMainPageUI::kSetPage);
    auto* set = dynamic_cast<CFunctionSetPageUI*>(main.GetPage(CMainPageUI::kSetPage));
    for (int sub = 0; set != nullptr && sub < CFunctionSetPageUI::kSubPageCount; ++sub) {
        set->SelectSubPage(sub);
        collect();
    }
    return texts;
}

// The values of a language file, for texts a language writes as English does ("OK").
std::set<std::string> ValuesOf(const fs::path& file)
{
    std::set<std::string> values;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        std::string value = line.substr(eq + 1);
        value.erase(0, value.find_first_not_of(" \t"));
        value.erase(value.find_last_not_of(" \t\r") + 1);
        values.insert(value);
    }
    return values;
}

TEST_F(MainControlTest, EveryLanguageReplacesEveryEnglishTextOfTheSkin)
{
    const auto& languages = kLanguages;
    const std::string before = std::getenv("LC_ALL") != nullptr ? std::getenv("LC_ALL") : "";
    std::map<std::string, std::string> english;
    for (const auto& [locale, file] : languages) {
        setenv("LC_ALL", locale.c_str(), 1);
        ProgramContext context;
        context.installFolder = dir.path().string();
        auto window = std::make_unique<CMainControl>(context);
        ASSERT_NE(window->Create(nullptr, "", WS_POPUP, 0), nullptr) << locale;
        ASSERT_EQ(fs::path(CLanguageConfig::GetInstance().GetLanguagePath()).filename(), file) << locale;
        const std::map<std::string, std::string> texts = ShownTexts(*window);
        window->Shutdown();
        if (english.empty()) {
            english = texts;
            EXPECT_GT(english.size(), 80u);
            continue;
        }
        // A text left as the English one must be what this language's table says too ("OK").
        const std::set<std::string> own = ValuesOf(dir.path() / "ImgRes/language" / file);
        for (const auto& [name, text] : texts) {
            const auto found = english.find(name);
            // Numbers and addresses ("V3.4.5", "2.0×", an e-mail address) are the same everywhere.
            const bool words = std::none_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c) || c == '@'; });
            if (found != english.end() && found->second == text && words) {
                EXPECT_TRUE(own.count(text)) << file << ": " << name << " still shows \"" << text << "\"";
            }
        }
        EXPECT_EQ(texts.size(), english.size()) << file;
    }
    if (before.empty())
        unsetenv("LC_ALL");
    else
        setenv("LC_ALL", before.c_str(), 1);
}

} // namespace
