// Orvelle: the settings program of the presentation remote. It lives in the tray, keeps the
// device link running and shows its settings window on request.

// The link's headers come before Qt's, whose "slots" macro would rewrite a member name there.
#include "CMirrorScreen.h"
#include "CPresenterService.h"
#include "KVOBLEDeviceManager.h"
#include "ControllerSet.h"
#include "DeviceMgr.h"
#include "KVOControler.h"
#include "KVOLog.h"
#include "KVOReportDecoder.h"
#include "PresenterEnvironment.h"

#include "CMainControl.h"
#include "CRemoteControl.h"
#include "CommandLine.h"
#include "ConfigManager.h"
#include "CrashReporter.h"
#include "CurrentProcess.h"
#include "DesktopSession.h"
#include "EventLoopPause.h"
#include "HiddenStartFlag.h"
#include "ImgResUnpacker.h"
#include "LocalCommandPipe.h"
#include "ProcProcessList.h"
#include "OnScreenEffects.h"
#include "OverlayOutputs.h"
#include "PresentationScreen.h"
#include "WindowImplBase.h"
#include "WindowOnOverlay.h"
#include "QtScreenCache.h"
#include "QtSettingsWindow.h"
#include "SessionBackends.h"
#include "SessionBusRemote.h"
#include "SingleInstanceLock.h"
#include "StopSignalNotifier.h"
#include "UserFolders.h"
#include "X11DisplayLoss.h"
#include "XdgDesktopLauncher.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>

namespace {

constexpr const char* kInstanceLockName = "Global\\Tarn12_ProcessCtrlMutex_QuillonExe";
constexpr const char* kWindowTitle = "Orvelle";
// WS_POPUP|WS_VISIBLE|WS_CLIPSIBLINGS|WS_CLIPCHILDREN|WS_CAPTION|WS_SYSMENU, without WS_VISIBLE:
// the window is shown or kept hidden right after, so a hidden start never flashes it.
constexpr DWORD kMainStyle = 0x96C80000u & ~WS_VISIBLE;
// WS_EX_WINDOWEDGE and, for no task-bar button, WS_EX_TOOLWINDOW.
constexpr DWORD kMainExStyle = 0x100u | WS_EX_TOOLWINDOW;

// Without a display Qt aborts with a message about plug-ins; say what is wrong instead.
bool HasDisplay()
{
    const auto set = [](const char* name) {
        const char* v = std::getenv(name);
        return v != nullptr && v[0] != '\0';
    };
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}

std::string ExecutablePath(const char* argv0)
{
    const std::string path = platform::ExecutablePath();
    if (!path.empty())
        return path;
    std::error_code ec;
    return std::filesystem::absolute(argv0, ec).string();
}

// The Bluetooth LE link lives from the device link's start to its exit; a new start makes a new one.
struct BleLinkParts {
    std::unique_ptr<platform::IBluetoothLE> api;
    std::unique_ptr<KVOBLEDeviceManager> manager;
};
BleLinkParts g_bleLink;

// The device link on the application log. The presenter service goes first: the motion thread
// that feeds it and the managers' workers that run its commands are joined before it is freed.
// The link stops last and joins its own threads, so no worker is left when the pool and the
// queues go; the managers, which those threads reach, are freed after it.
LinkHooks DeviceLinkHooks(const platform::IScreens* screens)
{
    LinkHooks hooks;
    hooks.start = [screens](ILogSink* sink) {
        // The settle pause below delivers events; none of them may start the link again.
        static bool starting = false;
        if (starting) {
            WriteLog(KVO_LOG_WARN, "InitKVOControler() asked again while the link starts, ignored");
            return;
        }
        starting = true;
        KVOControlerEnvironment environment;
        environment.logSink = sink;
        environment.screens = screens;
        environment.watch.setHookSuppression = [](int value) {
            CConfigManager::GetInstance().SetRuntime(CConfigManager::Runtime::HookSuppression, value);
        };
        environment.watch.getMonitorCount = [] { return CConfigManager::GetInstance().GetMonitorCount(); };
        environment.watch.setMonitorCount = [](int count) { CConfigManager::GetInstance().SetMonitorCount(count); };
        environment.reloadFunctionSelection = [] { CConfigManager::GetInstance().ReloadText(ConfigText::IsUsed); };
        // The tray icon, shown just before, gets embedded while the link settles.
        environment.pause = [](int ms) { EventLoopPause(ms); };
        g_bleLink.manager.reset();
        g_bleLink.api = platform::CreateBlueZBluetoothLE();
        g_bleLink.manager = std::make_unique<KVOBLEDeviceManager>(*g_bleLink.api);
        environment.bleLink = g_bleLink.manager.get();
        SetKVOControlerEnvironment(environment);
        InitKVOControler();
        // The effects' windows are built once, here on the UI thread, from the skin folder.
        if (ControllerSet* set = ControllerSet::Existing())
            set->GetFunctionMgr().CreateEffects();
        starting = false;
    };
    hooks.freeService = [] {
        StopKVOControlerConsumers();
        CPresenterService::DestroyInstance();
    };
    hooks.stop = [] {
        ExitKVOControler();
        g_bleLink.manager.reset();
        g_bleLink.api.reset();
        CPresenterService::DestroyInstance();
        ControllerSet::Destroy();
    };
    return hooks;
}

// SIGTERM and SIGINT end the program the way the tray's close item does: the UI thread posts
// the close message.
void InstallTerminateHandler(QObject* parent)
{
    platform::StopSignalNotifier::Install(parent, [] {
        if (HWND hwnd = CMainControl::GetMainWindowHandle())
            ::PostMessageW(hwnd, WM_SOFT_KILL, 0, 0);
        else
            QCoreApplication::exit(0);
    });
}

// For the crash tests: ORVELLE_TEST_CRASH_SIGNAL=<n> raises signal n once the program runs. The
// variable is removed first, so the restarted program does not crash again.
void ScheduleTestCrash()
{
    const char* value = std::getenv("ORVELLE_TEST_CRASH_SIGNAL");
    if (value == nullptr)
        return;
    const int sig = std::atoi(value);
    unsetenv("ORVELLE_TEST_CRASH_SIGNAL");
    if (sig > 0)
        QTimer::singleShot(200, [sig] { platform::CrashReporter::Raise(sig); });
}

// A second start (the desktop entry's, without arguments) brings the running program's settings
// window up, where no tray shows its icon; the launcher's hidden starts stay silent.
void ShowRunningInstance(int argc, char** argv)
{
    if (argc > 1)
        return;
    QCoreApplication app(argc, argv);
    const platform::RemoteReply reply = platform::SessionBusRemoteChannel()->Call({"ShowSettings", {}});
    if (reply.kind != platform::RemoteReply::Kind::Done)
        std::fprintf(stderr, "Orvelle: already running; its settings window cannot be shown: %s\n", reply.text.c_str());
}

// The running program on the session bus, for the command line and desktop shortcuts.
std::unique_ptr<platform::IRemoteBusService> OfferOnSessionBus(platform::IRemoteControl& remote)
{
    std::string error;
    std::unique_ptr<platform::IRemoteBusService> service = platform::OfferRemoteOnSessionBus(remote, error);
    if (service)
        WriteLog(KVO_LOG_INFO, "Session bus: org.orvelle.Orvelle offered");
    else
        WriteLog(KVO_LOG_WARN, "Session bus: org.orvelle.Orvelle not offered: %s", error.c_str());
    return service;
}

} // namespace

int main(int argc, char** argv)
{
    const auto started = std::chrono::steady_clock::now();
    // The command line talks to the running program and ends: no lock, no window, no display.
    if (CommandLine::IsCommandLine(argc, argv)) {
        QCoreApplication app(argc, argv);
        return CommandLine::Run(argc, argv, *platform::SessionBusRemoteChannel(), stdout, stderr);
    }
    if (!HasDisplay()) {
        std::fprintf(stderr, "Orvelle: no display. Start it in an X11 session (DISPLAY is not set), "
                             "or set QT_QPA_PLATFORM (for example offscreen).\n");
        return 1;
    }

    platform::SingleInstanceLock instanceLock;
    switch (instanceLock.Acquire(kInstanceLockName)) {
    case platform::SingleInstanceLock::Result::HeldElsewhere:
        ShowRunningInstance(argc, argv);
        return 0;
    case platform::SingleInstanceLock::Result::Error:
        // Better two instances than none: say why and go on.
        std::fprintf(stderr, "Orvelle: single-instance lock unavailable: %s\n", instanceLock.GetError().c_str());
        break;
    case platform::SingleInstanceLock::Result::Acquired:
        break;
    }

    ProgramContext context;
    context.startedHidden = IsHiddenStartCommandLine(argc, argv);
    context.startedByRestart = argc == 2 && std::strcmp(argv[1], CMainControl::kRestartArg) == 0;
    context.executable = ExecutablePath(argv[0]);
    context.installFolder = std::filesystem::path(context.executable).parent_path().string();
    context.instanceLock = &instanceLock;

    context.folders = CUserFolders::For(context.installFolder);
    if (!context.folders.Create())
        std::fprintf(stderr, "Orvelle: the folders for settings, logs and the skin cannot all be created\n");

    const auto unpacked = CImgResUnpacker::Unpack(context.installFolder + "/ImgRes.zip", context.folders.SkinFolder());
    if (!unpacked.ok) {
        std::fprintf(stderr, "Orvelle: ImgRes.zip not unpacked, using the skin on disk\n");
        context.folders.UseInstalledSkinIfMissing();
    }

    // Before the Qt application: the effects' windows need the platform plug-in chosen here.
    const platform::DesktopSession& session = platform::ProbeDesktopSession();
    QApplication app(argc, argv);
    WriteLog(KVO_LOG_INFO, "%s", session.Describe().c_str());
    WindowImplBase::SetWindowSystemMoves(session.wayland);
    // Closing the settings window leaves the program in the tray.
    QApplication::setQuitOnLastWindowClosed(false);
    InstallTerminateHandler(&app);
    // A lost X server ends the program with a log line, not in what looks like a crash.
    platform::EndCleanlyWhenDisplayLost([] {
        WriteLog(KVO_LOG_ERROR, "The X server has gone: Orvelle ends");
        CloseLogWriter();
    });

    // The OS services of the link and the key handling; they outlive the window.
    platform::QtScreenCache screens;
    // Native overlays go on the compositor's outputs: the presentation screen is one of those.
    const std::unique_ptr<platform::IOverlaySurfaces> overlays = platform::MakeOverlaySurfaces();
    if (session.overlay == platform::OverlayPath::LayerShell && !overlays)
        WriteLog(KVO_LOG_ERROR, "The compositor's overlay layer cannot be reached: effects as windows");
    std::optional<platform::OverlayOutputs> outputs;
    if (overlays)
        outputs.emplace(*overlays, screens);
    platform::PresentationScreen presentationScreen(outputs ? static_cast<const platform::IScreens&>(*outputs) : screens);
    const std::unique_ptr<platform::ICursor> cursor = platform::MakeCursor();
    const std::unique_ptr<platform::IForegroundWindow> foregroundWindow = platform::MakeForegroundWindow();
    const std::unique_ptr<platform::ICompositor> compositor = platform::MakeCompositor();
    EffectServices effectServices;
    effectServices.screen = &presentationScreen;
    effectServices.compositor = compositor.get();
    const std::unique_ptr<platform::IScreenCapture> screenCapture = platform::MakeScreenCapture();
    effectServices.capture = screenCapture.get();
    effectServices.overlays = overlays.get();
    WindowOnOverlay::SetOverlays(overlays.get());
    ControllerSet::SetEnvironment({[effectServices] { return CreateOnScreenEffects(effectServices); },
                                   [&presentationScreen] {
                                       const platform::ScreenRect r = presentationScreen.Rect();
                                       return EffectRect{r.x, r.y, r.x + r.width, r.y + r.height};
                                   },
                                   [&cursor] {
                                       const platform::CursorPoint p = cursor->GetPos();
                                       return EffectPoint{p.x, p.y};
                                   }});
    PresenterEnvironment& service = CPresenterService::GetInstance().Environment();
    service.SetCursor(cursor.get());
    service.SetForegroundWindow(foregroundWindow.get());
    // Followed at every effect start, so a projector plugged in later becomes the screen.
    service.SetPresentationScreen(&presentationScreen);
    context.link = DeviceLinkHooks(&screens);

    // The custom key functions: keys injected into the session, addresses through the desktop's
    // handlers. The key functions learn of each injected key, so the keyboard hook can tell our
    // own keys from the user's; no key is injected before they exist.
    CCustomKeyFunctions* injectedKeyFilter = nullptr;
    const std::unique_ptr<platform::IKeyboard> keyboard =
        platform::MakeKeyboard([&injectedKeyFilter](unsigned keycode, bool down) {
            if (injectedKeyFilter != nullptr)
                injectedKeyFilter->NoteInjectedKey(keycode, down);
        });
    platform::XdgDesktopLauncher launcher;
    const std::unique_ptr<platform::IWindowList> windowList = platform::MakeWindowList();
    const std::function<int()> deviceType = [] {
        const DeviceMgr* deviceMgr = CPresenterService::GetInstance().GetDeviceMgr();
        return deviceMgr != nullptr ? deviceMgr->GetDevType() : 0;
    };
    CustomKeyServices customServices;
    customServices.environment = &service;
    customServices.keyboard = keyboard.get();
    customServices.launcher = &launcher;
    customServices.screens = &screens;
    customServices.windows = windowList.get();
    customServices.deviceType = deviceType;
    customServices.exitCurrentMode = [] { CPresenterService::GetInstance().ExitCurrentMode(); };
    // The mirror key: the command pipe and the process list; notices go to the message window.
    platform::LocalCommandPipe mirrorPipe;
    platform::ProcProcessList processList;
    CMirrorScreen mirror({&mirrorPipe, &processList, nullptr, {}});
    customServices.mirror = &mirror;
    CCustomKeyFunctions customKeys(customServices);
    service.SetActions(&customKeys);
    context.customKeys = &customKeys;
    injectedKeyFilter = &customKeys;
    context.createBlankScreen = [effectServices, deviceType] { return CreateBlankScreen(effectServices, deviceType); };

    CPaintManagerUI::SetInstance(&app);
    // The skin is found relative to the folder it was unpacked into.
    CPaintManagerUI::SetCurrentPath(context.folders.SkinFolder());
    CPaintManagerUI::SetResourcePath("ImgRes");

    auto window = std::make_unique<CMainControl>(context);
    if (window->Create(nullptr, "", kMainStyle, kMainExStyle) == nullptr) {
        std::fprintf(stderr, "Orvelle: the settings window cannot be built from ImgRes/%s\n", CMainControl::kSkinFile);
        window.reset();
        return 1;
    }
    g_bIsInitComplete = true;
    platform::QtSettingsWindow settingsWindow(window->GetWidget());
    service.SetSettingsWindow(&settingsWindow);
    if (window->GetWidget() != nullptr)
        window->GetWidget()->setWindowTitle(kWindowTitle);
    if (context.startedHidden)
        ShowWindow(window->GetHWND(), SW_HIDE);
    else
        window->ShowWindow(true, true);

    const auto postToMainWindow = [](UINT message) {
        return [message] {
            if (HWND hwnd = CMainControl::GetMainWindowHandle())
                ::PostMessageW(hwnd, message, 0, 0);
        };
    };
    CRemoteControl remote({&CConfigManager::GetInstance(), &customKeys, &settingsWindow, postToMainWindow(WM_SOFT_KILL),
                           postToMainWindow(WM_SETTINGS_CHANGED)});
    const std::unique_ptr<platform::IRemoteBusService> bus = OfferOnSessionBus(remote);

    if (unpacked.skipped > 0)
        WriteLog(KVO_LOG_WARN, "UnZipFile() %d unsafe entries of ImgRes.zip were skipped", unpacked.skipped);
    ScheduleTestCrash();
    QTimer::singleShot(0, [started] {
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count();
        WriteLog(KVO_LOG_INFO, "Orvelle started in %lld ms", static_cast<long long>(ms));
    });

    const int code = app.exec();
    window->Shutdown();
    g_bIsInitComplete = false;
    window.reset();
    return code;
}
