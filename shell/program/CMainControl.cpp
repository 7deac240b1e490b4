// The settings window and the program's start-up and shutdown order.

#include "CMainControl.h"

#include "CAboutPageUI.h"
#include "CAdvancedFeaturesUI.h"
#include "CDigitalLaserPageUI.h"
#include "CFunctionSelectPageUI.h"
#include "CFunctionSetPageUI.h"
#include "CPostilPageUI.h"
#include "CPresenterService.h"
#include "CSearchlightPageUI.h"
#include "CSettingPageUI.h"
#include "CZoomPageUI.h"
#include "CZoomPreview.h"
#include "ConfigManager.h"
#include "ControllerSet.h"
#include "CrashReporter.h"
#include "IFunctionToolTip.h"
#include "KeyboardHookApi.h"
#include "KVOControler.h"
#include "KVOLog.h"
#include "KVOPhysicalDeviceTracker.h"
#include "LanguageConfig.h"
#include "LocaleLcid.h"
#include "MagnifierWindows.h"
#include "SetupVersion.h"

#include <QCoreApplication>
#include <QWidget>

#include <algorithm>
#include <atomic>
#include <cstdio>

namespace {

std::atomic<HWND> g_hMainWnd{nullptr};

// The device link's worker threads reach the window only through posted messages.
void PostToMainWindow(uint32_t message)
{
    if (HWND hwnd = g_hMainWnd.load())
        ::PostMessageW(hwnd, message, 0, 0);
}

int CursorSpeed()
{
    return CConfigManager::GetInstance().GetSensitivity();
}

// The service's own ExitCurrentMode only logs; a changed function list must also end the
// running effect, which the function manager's stop does.
void EndCurrentMode()
{
    CPresenterService::GetInstance().ExitCurrentMode();
    if (ControllerSet* set = ControllerSet::Existing())
        set->GetFunctionMgr().StopFunction(1);
}

} // namespace

CMainControl::CMainControl(ProgramContext context)
    : WindowImplBase(kSkinFile)
    , m_context(std::move(context))
    , m_mainPage(std::make_unique<CMainPageUI>(&m_PaintManager))
{
    m_mainPage->SetPage(CMainPageUI::kAboutPage, std::make_unique<CAboutPageUI>(&m_PaintManager));
    CFunctionSelectPageUI::Hooks selectHooks;
    selectHooks.endCurrentMode = EndCurrentMode;
    m_mainPage->SetPage(CMainPageUI::kSelectPage,
                        std::make_unique<CFunctionSelectPageUI>(&m_PaintManager, std::move(selectHooks)));
    auto setPage = std::make_unique<CFunctionSetPageUI>(&m_PaintManager);
    setPage->SetSubPage(CFunctionSetPageUI::kSearchlight, std::make_unique<CSearchlightPageUI>(&m_PaintManager));
    setPage->SetSubPage(CFunctionSetPageUI::kDigitalLaser, std::make_unique<CDigitalLaserPageUI>(&m_PaintManager));
    setPage->SetSubPage(CFunctionSetPageUI::kZoom, std::make_unique<CZoomPageUI>(&m_PaintManager));
    setPage->SetSubPage(CFunctionSetPageUI::kPostil, std::make_unique<CPostilPageUI>(&m_PaintManager));
    setPage->SetSubPage(CFunctionSetPageUI::kSetting, std::make_unique<CSettingPageUI>(&m_PaintManager));
    m_setPage = setPage.get();
    m_mainPage->SetPage(CMainPageUI::kSetPage, std::move(setPage));
    if (m_context.folders.InstallFolder().empty())
        m_context.folders = CUserFolders::For(m_context.installFolder);
}

CMainControl::~CMainControl()
{
    Shutdown();
}

HWND CMainControl::GetMainWindowHandle()
{
    return g_hMainWnd.load();
}

void CMainControl::InitWindow()
{
    CenterOnFirstMonitor();
    g_hMainWnd = GetHWND();
    InitMainPage();
    m_mainPage->StyleAndShow(true);
    m_mainPage->EndStartup();
    // No task-bar button: the window is created as a tool window (see main).
}

void CMainControl::CenterOnFirstMonitor()
{
    QWidget* widget = GetWidget();
    const auto monitors = m_screens.Monitors();
    if (widget == nullptr || monitors.empty())
        return;
    const platform::ScreenRect m = platform::LogicalFromPhysical(monitors.front());
    const int w = widget->width();
    const int h = widget->height();
    // Inside the monitor on both axes, the top-left corner winning when the window is larger.
    const int x = std::max(m.x, std::min(m.x + m.width / 2 - w / 2, m.x + m.width - w));
    const int y = std::max(m.y, std::min(m.y + m.height / 2 - h / 2, m.y + m.height - h));
    widget->move(x, y);
}

void CMainControl::InitMainPage()
{
    CConfigManager& config = CConfigManager::GetInstance();
    config.SetInstallFolder(m_context.installFolder);
    config.SetConfigFolder(m_context.folders.ConfigFolder());
    config.SetScreens(&m_screens);
    config.FirstRunDefaults();

    CLanguageConfig& language = CLanguageConfig::GetInstance();
    language.SetBaseFolder(m_context.folders.SkinFolder());
    language.Init();

    config.LoadAll();
    // From here on every change is written at once, but on the writer's thread: a slider drag
    // on the UI thread never waits for the disk.
    config.SetBackgroundWrites(true);
    InstallCrashReporter();

    SetTimer(CMainPageUI::kStatusTimerId, CMainPageUI::kStatusTimerMs);
    SetTimer(CMainPageUI::kHousekeepingTimerId, CMainPageUI::kHousekeepingTimerMs);

    // The custom-key page opens its blank-screen window over this window and shows what the
    // keyboard hook records.
    if (m_setPage != nullptr)
        m_setPage->SetSubPage(CFunctionSetPageUI::kAdvancedFeatures,
                              std::make_unique<CAdvancedFeaturesUI>(&m_PaintManager, GetHWND(), m_context.customKeys));

    CMainPageUI::Hooks hooks;
    hooks.shutdown = [this] { Shutdown(); };
    hooks.endCurrentMode = EndCurrentMode;
    m_mainPage->Init(GetHWND(), m_context.startedHidden, std::move(hooks));
    // The link's settle pause lets events through: the program must neither close half-built
    // nor wait for the link to show its tray icon.
    m_mainPage->BeginStartup();
    m_mainPage->ShowTrayIcon();

    SetCursorSpeedSource(&CursorSpeed);
    SetMainWindowPoster(&PostToMainWindow);
    if (m_context.link.start) {
        m_context.link.start(&m_logFile);
        m_bLinkStarted = true;
    }

    m_toolTip = std::make_unique<ToolTip_Fun>(m_screens);
    if (m_toolTip->Create(GetHWND()))
        SetFunctionToolTip(m_toolTip.get());
    else
        WriteLog(KVO_LOG_ERROR, "CMainPageUI::Init tooltip window cannot be built");

    WriteLog(KVO_LOG_INFO, "CLanguageConfig::Init language:%d", LcidFromLocaleName(UserMessageLocale()));
    StartKeyboardHook();
    InitLog();
    StartBlankScreenThread();
    CreateMessageBox();
    m_mainPage->LoadStatusTexts();
    CreateFloatingLayer();
    CreateMagnifier();
}

void CMainControl::InstallCrashReporter()
{
    platform::CrashReporterSetup setup;
    setup.appName = kCrashAppName;
    setup.version = ReadSetupVersion(m_context.installFolder);
    setup.reportFolder = m_context.folders.LogFolder();
    setup.executable = m_context.executable;
    setup.restartArgs = {kRestartArg};
    setup.startedByRestart = m_context.startedByRestart;
    std::string error;
    if (platform::CrashReporter::Install(setup, &error) != 0)
        std::printf("%s\n", error.substr(0, 512).c_str());
}

void CMainControl::StartKeyboardHook()
{
    // The Fun-key keyboard hook plug-in comes with custom key functions.
    if (m_context.customKeys != nullptr)
        m_context.customKeys->SetHook(m_context.installFolder + "/" + kHookLibraryName);
}

void CMainControl::InitLog()
{
    const CConfigManager& config = CConfigManager::GetInstance();
    const int deleteDays = config.GetInt(ConfigInt::LogDeleteDay);
    const int level = config.GetInt(ConfigInt::LogLevel);
    if (!m_logFile.Open(m_context.folders.StateFolder(), deleteDays))
        std::fprintf(stderr, "Orvelle: cannot open the log file in %s\n", m_context.folders.LogFolder().c_str());
    SetLogLevelFilter(level);
    platform::CrashReporter::SetLogFilePath(m_logFile.GetPath());
    WriteLog(KVO_LOG_INFO, "CMainPageUI::InitLog LogFilename:%s DeleteDay:%d LogLevel:%d language:%d",
             m_logFile.GetPath().c_str(), deleteDays, level, CLanguageConfig::GetInstance().GetSelLanguage());
}

void CMainControl::StartBlankScreenThread()
{
    // The blank-screen effect's thread comes with the effects.
    if (m_context.customKeys != nullptr && m_context.createBlankScreen)
        m_context.customKeys->CreateBlankScreenThread(m_context.createBlankScreen);
}

void CMainControl::CreateMessageBox()
{
    m_messageBox = std::make_unique<CMessageBoxUI>(m_screens);
    if (m_messageBox->Build())
        SetKVOMultiDeviceTooltip(m_messageBox.get());
    else
        WriteLog(KVO_LOG_ERROR, "CMainPageUI::Init message box cannot be built");
}

void CMainControl::CreateFloatingLayer()
{
    // The magnifier page's enlarged slide, made once per factor and lens height.
    if (auto* zoom = m_setPage != nullptr ? dynamic_cast<CZoomPageUI*>(m_setPage->GetSubPage(CFunctionSetPageUI::kZoom))
                                          : nullptr) {
        auto preview = std::make_shared<CZoomPreview>(CZoomPreview::For(m_context.folders));
        zoom->SetPreviewImage([preview](double zoomMom) { return preview->Make(zoomMom); });
    }
    CFunctionSet_FloatingLayer_UI::Hooks hooks;
    hooks.currentSubPage = [this] {
        return m_setPage != nullptr && m_mainPage->GetCurrentPage() == CMainPageUI::kSetPage
                   ? m_setPage->GetCurrentSubPage()
                   : -1;
    };
    m_floatingLayer = std::make_unique<CFunctionSet_FloatingLayer_UI>(GetHWND(), &m_PaintManager, std::move(hooks));
    if (m_floatingLayer->Build()) {
        m_mainPage->SetFloatingLayer(m_floatingLayer.get());
    } else {
        WriteLog(KVO_LOG_ERROR, "CMainPageUI::Init floating layer cannot be built");
        m_floatingLayer.reset();
    }
}

void CMainControl::CreateMagnifier()
{
    // The magnifier window ("ZoomUI.xml") comes with the effects.
    Zoom_CreatWindow();
    if (CreateZoomUI() == nullptr)
        WriteLog(KVO_LOG_ERROR, "CMainPageUI::Init magnifier window cannot be built");
}

void CMainControl::Notify(TNotifyUI& msg)
{
    if (!m_bShutDown)
        m_mainPage->Notify(msg);
}

LRESULT CMainControl::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled)
{
    LRESULT result = 0;
    if (!m_bShutDown && m_mainPage->HandleMessage(uMsg, wParam, lParam, result)) {
        bHandled = true;
        return result;
    }
    return WindowImplBase::HandleCustomMessage(uMsg, wParam, lParam, bHandled);
}

void CMainControl::Shutdown()
{
    if (m_bShutDown)
        return;
    m_bShutDown = true;
    KillTimer(CMainPageUI::kStatusTimerId);
    KillTimer(CMainPageUI::kHousekeepingTimerId);

    if (m_context.instanceLock)
        m_context.instanceLock->Release();
    platform::CrashReporter::Uninstall();
    // Blank-screen window, floating layer, keyboard hook and the system cursors belong to the
    // effects and pages that create them; they are released here, in this order, once they exist.
    if (m_context.customKeys != nullptr) {
        m_context.customKeys->DeleteBlankScreen();
        m_context.customKeys->CloseCutomFunion();
    }
    if (CTrayIcon* tray = m_mainPage->GetTray())
        tray->Delete();
    SetFunctionToolTip(nullptr);
    if (m_toolTip)
        m_toolTip->Destroy();
    if (m_context.link.freeService)
        m_context.link.freeService();
    m_mainPage->SetFloatingLayer(nullptr);
    m_floatingLayer.reset();
    m_setPage = nullptr;
    for (int page = 0; page < kMainPageCount; ++page)
        m_mainPage->SetPage(page, nullptr);
    SetKVOMultiDeviceTooltip(nullptr);
    if (m_messageBox)
        m_messageBox->Destroy();
    // The magnifier window closes here once it exists.
    FreeMagnifierWindows();
    SetMainWindowPoster(nullptr);
    g_hMainWnd = nullptr;
    if (m_bLinkStarted && m_context.link.stop) {
        m_context.link.stop();
        m_bLinkStarted = false;
    }
    // The last settings reach the disk before the program ends.
    CConfigManager::GetInstance().SetBackgroundWrites(false);
    // The blank-screen thread is joined here once it exists.
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::exit(0);
}
