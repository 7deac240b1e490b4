#pragma once
// The settings window ("MainUI.xml"). Its initialisation brings the program up in a fixed order
// (configuration, language, settings, crash reporter, timers, device link, tooltip, keyboard hook,
// application log, message box, status texts, floating layer, magnifier) and Shutdown takes it
// down again with the device link last. Its content is the main page (CMainPageUI). UI thread.

#include "AppLogFile.h"
#include "CCustomKeyFunctions.h"
#include "CFunctionSetPageUI.h"
#include "CFunctionSet_FloatingLayer_UI.h"
#include "CMainPageUI.h"
#include "CMessageBoxUI.h"
#include "QtScreens.h"
#include "SingleInstanceLock.h"
#include "ToolTip_Fun.h"
#include "UserFolders.h"
#include "UIlib.h"

#include <functional>
#include <memory>
#include <string>

// Start and stop of the device link. The link starts its log writer on `sink` and its threads;
// stop ends and joins every one of them.
struct LinkHooks {
    std::function<void(ILogSink* sink)> start;
    // Ends the presenter service (its workers), before the pages and the link go.
    std::function<void()> freeService;
    std::function<void()> stop;
};

struct ProgramContext {
    std::string installFolder;
    // Where the user's files go; decided from installFolder when left empty.
    CUserFolders folders;
    std::string executable;  // what a crash restarts
    bool startedHidden = false;
    bool startedByRestart = false;
    platform::SingleInstanceLock* instanceLock = nullptr;  // released first at shutdown
    LinkHooks link;
    // The custom key functions (keyboard hook, blank screen) and how the blank screen is built.
    CCustomKeyFunctions* customKeys = nullptr;
    std::function<std::unique_ptr<IBlankScreen>()> createBlankScreen;
};

class CMainControl : public WindowImplBase {
public:
    static constexpr const char* kSkinFile = "MainUI.xml";
    static constexpr const char* kCrashAppName = "Presenter";
    static constexpr const char* kRestartArg = "/restart";

    explicit CMainControl(ProgramContext context);
    ~CMainControl() override;

    const char* GetWindowClassName() const override { return "CMainControl"; }
    void InitWindow() override;
    void Notify(TNotifyUI& msg) override;
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;

    // Stops everything in order and then ends the event loop with exit code 0. Runs once.
    void Shutdown();
    bool IsShutDown() const { return m_bShutDown; }

    CMainPageUI& GetMainPage() { return *m_mainPage; }
    // The function setting page (page 1), owned by the main page; null after Shutdown. Its
    // floating layer reads GetCurrentSubPage(), and SetSubPage installs sub-page 5.
    CFunctionSetPageUI* GetFunctionSetPage() const { return m_setPage; }
    std::string GetLogPath() const { return m_logFile.GetPath(); }

    // The handle of the settings window while it exists; null otherwise.
    static HWND GetMainWindowHandle();

private:
    void CenterOnFirstMonitor();
    void InitMainPage();
    void InstallCrashReporter();
    void StartKeyboardHook();
    void InitLog();
    void StartBlankScreenThread();
    void CreateMessageBox();
    void CreateFloatingLayer();
    void CreateMagnifier();

    ProgramContext m_context;
    platform::QtScreens m_screens;
    std::unique_ptr<CMainPageUI> m_mainPage;
    CFunctionSetPageUI* m_setPage = nullptr;
    std::unique_ptr<CFunctionSet_FloatingLayer_UI> m_floatingLayer;
    std::unique_ptr<ToolTip_Fun> m_toolTip;
    std::unique_ptr<CMessageBoxUI> m_messageBox;
    CAppLogFile m_logFile;
    bool m_bLinkStarted = false;
    bool m_bShutDown = false;
};
