// The settings window's main page, tray icon, message box and tooltip, on the real skins and the
// English language file, offscreen.

#include "CMainPageUI.h"
#include "CMessageBoxUI.h"
#include "ConfigManager.h"
#include "ControllerSet.h"
#include "EventLoopPause.h"
#include "LanguageConfig.h"
#include "RecoverSysSetUI.h"
#include "ToolTip_Fun.h"

#include "FakeClock.h"
#include "FakeScreens.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QTimer>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool WaitFor(const std::function<bool()>& done, int ms = 3000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

struct FakeFloatingLayer : IFloatingLayer {
    void SetEmptyRect() override { ++emptied; }
    void PlaceOverMainWindow() override { ++placed; }
    int emptied = 0;
    int placed = 0;
};

// The main window as the program builds it: the main page gets the window's notifications and
// messages.
class MainWindow : public WindowImplBase {
public:
    MainWindow() : WindowImplBase("MainUI.xml"), page(&m_PaintManager) {}
    void InitWindow() override
    {
        page.Init(GetHWND(), startedHidden, hooks);
        page.LoadStatusTexts();
        page.StyleAndShow(true);
    }
    void Notify(TNotifyUI& msg) override { page.Notify(msg); }
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override
    {
        LRESULT result = 0;
        bHandled = page.HandleMessage(uMsg, wParam, lParam, result);
        return result;
    }
    void Click(const char* name)
    {
        CControlUI* control = m_PaintManager.FindControl(name);
        ASSERT_NE(control, nullptr) << name;
        m_PaintManager.SendNotify(control, DUI_MSGTYPE_CLICK);
    }
    bool Visible() { return IsWindowVisible(GetHWND()); }

    bool startedHidden = false;
    CMainPageUI::Hooks hooks;
    CMainPageUI page;
};

class ShellWindows : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "test_shell_main_page";
        static char* argv[] = {name, nullptr};
        if (QApplication::instance() == nullptr)
            s_app = std::make_unique<QApplication>(argc, argv);
    }
    static void TearDownTestSuite() { s_app.reset(); }

    void SetUp() override
    {
        const fs::path source = fs::path(ORVELLE_SOURCE_DIR) / "res/ImgRes";
        fs::create_directories(dir.path() / "ImgRes/language");
        for (const char* skin : {"MainUI.xml", "MessageBoxUI.xml", "ToolTipUI.xml", "RecoverSysSetUI.xml"})
            fs::copy_file(source / skin, dir.path() / "ImgRes" / skin);
        fs::copy_file(source / "language/english.ini", dir.path() / "ImgRes/language/english.ini");
        WriteWholeFile(dir.file("SetupVersion.txt"), "3.4.5\n");
        CPaintManagerUI::SetResourcePath(CDuiString((dir.path() / "ImgRes").string()));
        CLanguageConfig::GetInstance().SetBaseFolder(dir.path().string());
        CLanguageConfig::GetInstance().InitFromLcid(1033);
        CConfigManager::GetInstance().SetInstallFolder(dir.path().string());
        CConfigManager::GetInstance().FirstRunDefaults();
        CConfigManager::GetInstance().SetRuntime(CConfigManager::Runtime::DialogOpen, 0);
    }

    // Builds the main window with hooks that record what the page asks of the program.
    void CreateMain(bool startedHidden = false, bool realDevice = false)
    {
        window.startedHidden = startedHidden;
        window.hooks.endCurrentMode = [this] { ++modeEnded; };
        window.hooks.shutdown = [this] { ++shutdowns; };
        window.hooks.floatingLayer = &layer;
        if (!realDevice) {
            window.hooks.deviceStatus = [this] { return device; };
            window.hooks.deviceType = [this] { return deviceType; };
        }
        window.hooks.trayProbe = [] { return CTrayIcon::HostState::Ready; };
        ASSERT_NE(window.Create(nullptr, "", WS_POPUP, 0), nullptr);
    }

    template <class T = CControlUI>
    T* Control(const char* name)
    {
        return window.GetPaintManager().FindControlAs<T>(name);
    }
    std::string TextOf(const char* name)
    {
        CControlUI* control = Control(name);
        return control != nullptr ? control->GetText().str() : "<missing>";
    }
    RECT UnderlinePos() { return Control("Line_Select")->GetPos(); }

    static inline std::unique_ptr<QApplication> s_app;
    TempDir dir;
    FakeFloatingLayer layer;
    DeviceStatusSnapshot device;
    int deviceType = 0;
    int modeEnded = 0;
    int shutdowns = 0;
    MainWindow window;
};

} // namespace

TEST_F(ShellWindows, StartsOnTheSettingsTabWithThreeTabsAndTheirTexts)
{
    CreateMain();
    EXPECT_EQ(window.page.GetCurrentPage(), 1);
    EXPECT_EQ(UnderlinePos(), (RECT{170, 117, 339, 120}));
    EXPECT_EQ(Control<CTabLayoutUI>("MainTab")->GetCurSel(), 1);
    EXPECT_TRUE(Control("Bnt_SelectFunction")->IsVisible());
    EXPECT_TRUE(Control("Bnt_AboutUs")->IsVisible());
    EXPECT_FALSE(Control("Bnt_Timer")->IsVisible());
    EXPECT_FALSE(Control("Bnt_Help")->IsVisible());
    EXPECT_EQ(TextOf("Bnt_SelectFunction"), "Functions");
    EXPECT_EQ(TextOf("Bnt_SetFunction"), "Settings");
    EXPECT_EQ(TextOf("Bnt_AboutUs"), "About");
    EXPECT_EQ(Control("closebtn")->GetToolTip(), "Close");
    EXPECT_EQ(TextOf("CaptionName"), "Orvelle Presenter");
    // The selected tab stands out; the others are grey.
    EXPECT_EQ(Control<CButtonUI>("Bnt_SetFunction")->GetTextColor(), 0xFFFFFFFFu);
    EXPECT_EQ(Control<CButtonUI>("Bnt_SelectFunction")->GetTextColor(), 0xFFD2D2D2u);
}

TEST_F(ShellWindows, TabClicksSelectPagesMoveTheUnderlineAndKeepTheFloatingLayerInStep)
{
    CreateMain();
    window.Click("Bnt_AboutUs");
    EXPECT_EQ(window.page.GetCurrentPage(), 3);
    EXPECT_EQ(UnderlinePos(), (RECT{339, 117, 508, 120}));
    EXPECT_EQ(Control<CTabLayoutUI>("MainTab")->GetCurSel(), 3);
    EXPECT_EQ(TextOf("AboutUs_Ver_Info_Text2"), "V3.4.5");
    EXPECT_EQ(TextOf("AboutUs_Ver_Info_Text1"), "Version");
    EXPECT_FALSE(Control("AboutUs_Autorun_Bnt")->IsVisible());
    EXPECT_EQ(Control<CButtonUI>("Bnt_AboutUs")->GetTextColor(), 0xFFFFFFFFu);
    EXPECT_EQ(Control<CButtonUI>("Bnt_SetFunction")->GetTextColor(), 0xFFD2D2D2u) << "the old tab is deselected";
    // Hovering the selected tab keeps its selected look; the others keep their hover look.
    const auto* about = Control<CButtonUI>("Bnt_AboutUs");
    EXPECT_EQ(about->GetHotImage().str(), about->GetNormalImage().str());
    EXPECT_EQ(about->GetHotTextColor(), 0xFFFFFFFFu);
    const std::string hover = Control("Bnt_SetFunction")->GetHotImage().str();
    EXPECT_NE(hover.find("tab_h.png"), std::string::npos) << hover;
    window.Click("Bnt_SetFunction");
    EXPECT_EQ(about->GetHotImage().str(), hover) << "deselected, the tab hovers like the others";
    window.Click("Bnt_AboutUs");
    EXPECT_GT(layer.emptied, 0) << "the floating layer is emptied away from the setting page";

    window.Click("Bnt_SelectFunction");
    EXPECT_EQ(window.page.GetCurrentPage(), 0);
    EXPECT_EQ(UnderlinePos(), (RECT{1, 117, 170, 120}));

    window.page.SelectPage(4);
    EXPECT_EQ(UnderlinePos(), (RECT{508, 117, 677, 120}));
    window.page.SelectPage(5);
    EXPECT_EQ(window.page.GetCurrentPage(), 4) << "no page 5: nothing changes";

    layer.placed = 0;
    window.Click("Bnt_SetFunction");
    EXPECT_EQ(UnderlinePos(), (RECT{170, 117, 339, 120}));
    EXPECT_TRUE(WaitFor([&] { return layer.placed > 0; })) << "selection posts the re-placement";
}

TEST_F(ShellWindows, StatusLineFollowsTheDeviceEverySecond)
{
    CreateMain();
    window.SendMessage(WM_TIMER, CMainPageUI::kStatusTimerId);
    EXPECT_EQ(TextOf("ElectricQuantity_TipText"), "Not connected");
    device = {true, 2, 0};
    window.SendMessage(WM_TIMER, CMainPageUI::kStatusTimerId);
    EXPECT_EQ(TextOf("ElectricQuantity_TipText"), "Connected");
    device.charging = 1;
    window.SendMessage(WM_TIMER, CMainPageUI::kStatusTimerId);
    EXPECT_EQ(TextOf("ElectricQuantity_TipText"), "Charging");
    device = {true, 0, 0};
    window.SendMessage(WM_TIMER, CMainPageUI::kStatusTimerId);
    EXPECT_EQ(TextOf("ElectricQuantity_TipText"), "Not connected");
}

TEST_F(ShellWindows, StatusLineAndCaptionReadTheDeviceManagerOnceItExists)
{
    CreateMain(false, true);
    ASSERT_EQ(ExistingDeviceMgr(), nullptr);
    window.SendMessage(WM_TIMER, CMainPageUI::kStatusTimerId);
    EXPECT_EQ(TextOf("ElectricQuantity_TipText"), "Not connected") << "no device manager yet";

    DeviceMgr& mgr = ControllerSet::Instance().GetDeviceMgr();
    mgr.SetStatus(DEVICE_STATUS_CONNECTED);
    mgr.SetDevType(2);
    window.SendMessage(WM_TIMER, CMainPageUI::kStatusTimerId);
    EXPECT_EQ(TextOf("ElectricQuantity_TipText"), "Connected");
    ::PostMessageW(window.GetHWND(), WM_DEVICE_PRESENT, 0, 0); // as the device link posts it
    EXPECT_TRUE(WaitFor([&] { return TextOf("CaptionName") == "Orvelle Mouse"; }));
    mgr.SetCharging(1);
    window.SendMessage(WM_TIMER, CMainPageUI::kStatusTimerId);
    EXPECT_EQ(TextOf("ElectricQuantity_TipText"), "Charging");
    ControllerSet::Destroy();
    window.SendMessage(WM_TIMER, CMainPageUI::kStatusTimerId);
    EXPECT_EQ(TextOf("ElectricQuantity_TipText"), "Not connected");
}

TEST_F(ShellWindows, DevicePresentMessageRefreshesCaptionAndTrayTip)
{
    CreateMain();
    ASSERT_NE(window.page.GetTray(), nullptr);
    EXPECT_TRUE(window.page.GetTray()->IsCreated());
    EXPECT_EQ(window.page.GetTray()->GetTip(), "Orvelle Presenter");

    deviceType = 1;
    window.SendMessage(WM_DEVICE_PRESENT);
    EXPECT_EQ(TextOf("CaptionName"), "Orvelle Mouse");
    EXPECT_EQ(window.page.GetAppName(), "Orvelle Mouse");
    EXPECT_EQ(window.page.GetTray()->GetTip(), "Orvelle Mouse");
    EXPECT_EQ(window.page.GetTray()->GetIcon()->toolTip(), "Orvelle Mouse");
    EXPECT_NE(Control("CaptionICON")->GetBkImage().str().find("caption_mouse"), std::string::npos);

    deviceType = 9;
    ::PostMessageW(window.GetHWND(), WM_DEVICE_PRESENT, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return TextOf("CaptionName").empty(); }));
    EXPECT_TRUE(Control("CaptionICON")->GetBkImage().IsEmpty());
    EXPECT_EQ(window.page.GetTray()->GetTip(), "Orvelle Mouse") << "an unknown kind leaves the tip";
}

TEST_F(ShellWindows, ClosingOnlyHidesAndTheProgramsMessagesReachTheirHandlers)
{
    CreateMain();
    window.ShowWindow(true);
    window.Click("Bnt_AboutUs");
    window.Click("closebtn");
    EXPECT_FALSE(window.Visible());
    EXPECT_EQ(window.page.GetCurrentPage(), 1) << "the window comes back on the setting page";

    window.ShowWindow(true);
    window.SendMessage(WM_CLOSE);
    EXPECT_TRUE(IsWindow(window.GetHWND())) << "close keeps the program in the tray";
    EXPECT_FALSE(window.Visible());

    window.page.SelectPage(0);
    window.SendMessage(WM_SELECT_SET_PAGE);
    EXPECT_EQ(window.page.GetCurrentPage(), 1);

    const int emptied = layer.emptied;
    window.SendMessage(WM_FLOATING_LAYER_EMPTY);
    EXPECT_EQ(layer.emptied, emptied + 1);

    window.SendMessage(WM_ON_TRAY_DLETE);
    EXPECT_FALSE(window.page.GetTray()->IsCreated());

    EXPECT_EQ(shutdowns, 0);
    window.SendMessage(WM_SOFT_KILL);
    EXPECT_EQ(shutdowns, 1);
}

namespace {
class CountingPage final : public IPageUI {
public:
    void StyleAndShow(bool) override {}
    void Notify(TNotifyUI&) override {}
    void Refresh() override { ++refreshed; }
    int refreshed = 0;
};
} // namespace

TEST_F(ShellWindows, SettingsChangedFromOutsideRefreshTheCurrentPageOnly)
{
    CreateMain();
    auto current = std::make_unique<CountingPage>();
    auto other = std::make_unique<CountingPage>();
    CountingPage* currentSeen = current.get();
    CountingPage* otherSeen = other.get();
    window.page.SetPage(CMainPageUI::kSetPage, std::move(current));
    window.page.SetPage(0, std::move(other));
    window.page.SelectPage(CMainPageUI::kSetPage);
    const int before = currentSeen->refreshed;
    window.SendMessage(WM_SETTINGS_CHANGED);
    EXPECT_EQ(currentSeen->refreshed, before + 1);
    EXPECT_EQ(otherSeen->refreshed, 0);
}

TEST_F(ShellWindows, DraggingByTheTopBandMovesTheWindow)
{
    CreateMain();
    window.ShowWindow(true);
    QWidget* w = window.GetWidget();
    w->move(100, 100);
    const auto at = [w](int x, int y) {
        const QPoint client = w->mapFromGlobal(QPoint(x, y));
        return MAKELPARAM(client.x(), client.y());
    };
    layer.placed = 0;
    window.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at(400, 120)); // row 20
    window.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, at(430, 160));
    EXPECT_EQ(w->pos(), QPoint(130, 140));
    window.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, at(420, 150));
    EXPECT_EQ(w->pos(), QPoint(120, 130));
    EXPECT_TRUE(WaitFor([&] { return layer.placed > 0; })) << "the floating layer follows the window";
    window.SendMessage(WM_LBUTTONUP, 0, at(420, 150));
    window.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, at(600, 600));
    EXPECT_EQ(w->pos(), QPoint(120, 130)) << "released: no more dragging";

    window.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at(400, 130 + 50)); // row 50
    window.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, at(450, 250));
    EXPECT_EQ(w->pos(), QPoint(120, 130)) << "below the top band nothing drags";
}

TEST_F(ShellWindows, HiddenStartIsTidiedOnceByTheHousekeepingTimer)
{
    CreateMain(true);
    window.ShowWindow(true);
    window.SendMessage(WM_TIMER, CMainPageUI::kHousekeepingTimerId);
    EXPECT_FALSE(window.Visible());

    window.ShowWindow(true);
    window.SendMessage(WM_TIMER, CMainPageUI::kHousekeepingTimerId);
    EXPECT_TRUE(window.Visible()) << "the user opened it: it stays";
}

TEST_F(ShellWindows, TrayClicksAndMenuItemsReachTheirHandlers)
{
    CreateMain();
    CTrayIcon* tray = window.page.GetTray();
    ASSERT_TRUE(tray->IsCreated());
    EXPECT_EQ(tray->GetIcon()->contextMenu(), tray->GetMenu());
    EXPECT_EQ(tray->GetMenuAction(CTrayIcon::kMenuSetting)->text(), "Settings");
    EXPECT_EQ(tray->GetMenuAction(CTrayIcon::kMenuClose)->text(), "Quit");

    // Left click: the running effect ends first, the window comes back a moment later.
    EXPECT_FALSE(window.Visible());
    tray->HandleActivation(QSystemTrayIcon::Trigger);
    EXPECT_EQ(modeEnded, 1);
    EXPECT_TRUE(WaitFor([&] { return window.Visible(); }));

    // A right click opens the menu; its opening ends the effect too.
    emit tray->GetMenu()->aboutToShow();
    EXPECT_EQ(modeEnded, 2);
    tray->HandleActivation(QSystemTrayIcon::Context);
    EXPECT_EQ(modeEnded, 2) << "the menu, not the click, ends the effect";

    window.ShowWindow(false);
    window.page.SelectPage(3);
    tray->GetMenuAction(CTrayIcon::kMenuSetting)->trigger();
    EXPECT_TRUE(WaitFor([&] { return window.Visible(); }));
    EXPECT_EQ(window.page.GetCurrentPage(), 3) << "settings shows the page that was current";
    EXPECT_EQ(shutdowns, 0);

    tray->GetMenuAction(CTrayIcon::kMenuClose)->trigger();
    EXPECT_EQ(shutdowns, 1);
}

TEST_F(ShellWindows, DuringStartUpCloseWaitsForItsEndAndTheTrayRestoresOnlyAfterIt)
{
    CreateMain();
    CTrayIcon* tray = window.page.GetTray();
    window.page.BeginStartup();
    tray->GetMenuAction(CTrayIcon::kMenuClose)->trigger();
    window.SendMessage(WM_SOFT_KILL, 0, 0);
    tray->HandleActivation(QSystemTrayIcon::Trigger);
    QElapsedTimer waited;
    waited.start();
    WaitFor([&] { return waited.elapsed() > CMainPageUI::kRestoreDelayMs + 100; });
    EXPECT_EQ(shutdowns, 0);
    EXPECT_FALSE(window.Visible()) << "a half-built window does not come up";
    window.page.EndStartup();
    EXPECT_EQ(shutdowns, 0) << "run from the event loop, after the window is shown or hidden";
    EXPECT_TRUE(WaitFor([&] { return shutdowns == 1; }));
    EXPECT_FALSE(window.Visible()) << "closing wins over the restore";

    // Without a close, the click of the start-up brings the window up once it is over.
    window.page.BeginStartup();
    tray->HandleActivation(QSystemTrayIcon::Trigger);
    window.page.EndStartup();
    EXPECT_TRUE(WaitFor([&] { return window.Visible(); }));
    EXPECT_EQ(shutdowns, 1);
}

// Records whether a window is blocked by a modal dialog.
class BlockWatch : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::WindowBlocked)
            blocked = true;
        if (event->type() == QEvent::WindowUnblocked)
            blocked = false;
        return false;
    }
    bool blocked = false;
};

TEST_F(ShellWindows, ConfirmationBlocksTheMainWindowAndCloseWaitsForIt)
{
    CreateMain();
    window.ShowWindow(true, false);
    BlockWatch watch;
    window.GetWidget()->installEventFilter(&watch);
    bool blockedWhileOpen = false;
    int shutdownsWhileOpen = -1;
    int flagWhileOpen = -1;
    QTimer::singleShot(0, [&] {
        blockedWhileOpen = watch.blocked;
        window.page.GetTray()->GetMenuAction(CTrayIcon::kMenuClose)->trigger();
        shutdownsWhileOpen = shutdowns;
        flagWhileOpen = CConfigManager::GetInstance().GetRuntime(CConfigManager::Runtime::DialogOpen);
    });
    // Should the close not end the dialog, it is answered here, so the test ends either way.
    QTimer::singleShot(2000, [] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* no = w->findChild<CButtonUI*>("NoBnt"); no != nullptr && w->isVisible())
                no->Activate();
        }
    });
    EXPECT_FALSE(CRecoverSysSetUI::Confirm(window.GetHWND())) << "the close cancels the dialog";
    EXPECT_TRUE(blockedWhileOpen) << "the main window takes no input under the dialog";
    EXPECT_EQ(shutdownsWhileOpen, 0) << "the pages stay while the dialog's caller runs";
    EXPECT_EQ(flagWhileOpen, 1);
    EXPECT_EQ(shutdowns, 0);
    EXPECT_TRUE(WaitFor([&] { return shutdowns == 1; })) << "the close goes on once the dialog is gone";
    EXPECT_FALSE(watch.blocked);
    EXPECT_EQ(CConfigManager::GetInstance().GetRuntime(CConfigManager::Runtime::DialogOpen), 0);
}

TEST_F(ShellWindows, EventLoopPauseDeliversEventsForItsWholeTimeAndDoesNotNest)
{
    std::vector<std::string> order;
    QTimer::singleShot(10, [&] {
        order.push_back("first");
        // From an event the pause delivered: no loop of its own, so nothing runs inside it.
        EventLoopPause(40);
        order.push_back("first done");
    });
    QTimer::singleShot(20, [&] { order.push_back("second"); });
    QElapsedTimer elapsed;
    elapsed.start();
    EventLoopPause(150);
    EXPECT_GE(elapsed.elapsed(), 150);
    EXPECT_EQ(order, (std::vector<std::string>{"first", "first done", "second"}));
}

TEST_F(ShellWindows, TrayIconWaitsForTheHostWithoutBlocking)
{
    int probes = 0;
    int clicks = 0;
    CTrayIcon::Handlers handlers;
    handlers.leftClick = [&] {
        EXPECT_EQ(CTrayIcon::IsBusy(), 1);
        ++clicks;
    };
    CTrayIcon tray(handlers, [&] {
        ++probes;
        return probes < 3 ? CTrayIcon::HostState::Waiting : CTrayIcon::HostState::Ready;
    });
    tray.SetPollInterval(5);
    tray.Show("first");
    EXPECT_FALSE(tray.IsCreated());
    EXPECT_TRUE(tray.IsWaiting());
    tray.Show("second");
    EXPECT_TRUE(WaitFor([&] { return tray.IsCreated(); }));
    EXPECT_EQ(probes, 3);
    EXPECT_FALSE(tray.IsWaiting());
    EXPECT_EQ(tray.GetIcon()->toolTip(), "second") << "the latest tip once the host is there";

    tray.HandleActivation(QSystemTrayIcon::Trigger);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(CTrayIcon::IsBusy(), 0);

    tray.Delete();
    EXPECT_FALSE(tray.IsCreated());

    // With no tray at all the icon keeps waiting, and Delete stops that.
    CTrayIcon none({}, [] { return CTrayIcon::HostState::None; });
    none.SetPollInterval(5);
    none.Show("tip");
    EXPECT_TRUE(none.IsWaiting());
    none.Delete();
    EXPECT_FALSE(none.IsWaiting());
}

TEST_F(ShellWindows, MessageBoxCentresOnTheCursorsMonitorAlignsBy351PixelsAndHidesOnTime)
{
    ScopedFakeClock clock(50000);
    FakeScreens screens{{0, 0, 1920, 1080}, {1920, 0, 2560, 1440}};
    CMessageBoxUI box(screens, [] { return POINT{2500, 700}; });
    ASSERT_TRUE(box.Build());
    auto* label = box.GetPaintManager().FindControlAs<CLabelUI>("Messasge_Label");
    ASSERT_NE(label, nullptr);

    box.ShowMessage("Short", 1000);
    EXPECT_TRUE(box.GetWidget()->isVisible());
    EXPECT_EQ(box.GetText(), "Short");
    EXPECT_EQ(box.GetWidget()->geometry(), QRect(1920 + (2560 - 400) / 2, (1440 - 200) / 2, 400, 200));
    EXPECT_TRUE(label->GetTextAlign() & Qt::AlignHCenter);

    const std::string longText(200, 'W');
    clock.clock.Advance(900);
    box.ShowMessage(longText, 1000);
    EXPECT_TRUE(label->GetTextAlign() & Qt::AlignLeft) << "351 pixels or more start at the left";
    EXPECT_FALSE(label->GetTextAlign() & Qt::AlignHCenter);

    clock.clock.Advance(900);
    box.SendMessage(WM_TIMER, CMessageBoxUI::kHideTimerId);
    EXPECT_TRUE(box.GetWidget()->isVisible()) << "counted from the second show";
    clock.clock.Advance(101);
    box.SendMessage(WM_TIMER, CMessageBoxUI::kHideTimerId);
    EXPECT_FALSE(box.GetWidget()->isVisible());
    EXPECT_FALSE(box.IsShown());

    // From a worker thread, as the device link's multi-device notice arrives.
    std::thread worker([&] { box.ShowTooltip("tooltip", "multiDevice_tooltip", 1000); });
    worker.join();
    EXPECT_TRUE(WaitFor([&] { return box.IsShown(); }));
    EXPECT_EQ(box.GetText(), "More than one remote is connected. Use one at a time.");
    box.Destroy();
    std::thread late([&] { box.ShowMessage("after close", 1000); });
    late.join();
    QCoreApplication::processEvents();
}

TEST_F(ShellWindows, ToolTipNamesTheFunctionAndHidesTwoSecondsAfterTheLastSwitch)
{
    ScopedFakeClock clock(70000);
    FakeScreens screens{{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
    ToolTip_Fun tooltip(screens);
    ASSERT_TRUE(tooltip.Create(nullptr));
    ToolTip_UI& ui = tooltip.GetWindow();
    EXPECT_FALSE(ui.GetWidget()->isVisible());

    tooltip.SetToolTipMode(2);
    EXPECT_TRUE(ui.GetWidget()->isVisible());
    EXPECT_EQ(ui.GetText(), "Spotlight");
    EXPECT_EQ(ui.GetWidget()->geometry(), QRect(1920 + 1280 - 285, 0, 285, 125)) << "top-right of the last monitor";

    clock.clock.Advance(1500);
    tooltip.SetToolTipMode(3);
    EXPECT_EQ(ui.GetText(), "Digital laser");
    clock.clock.Advance(1500);
    ui.SendMessage(WM_TIMER, ToolTip_UI::kHideTimerId);
    EXPECT_TRUE(ui.GetWidget()->isVisible()) << "three seconds after the first switch, 1.5 after the second";
    clock.clock.Advance(501);
    ui.SendMessage(WM_TIMER, ToolTip_UI::kHideTimerId);
    EXPECT_FALSE(ui.GetWidget()->isVisible());
    EXPECT_EQ(ui.GetMode(), kToolTipHiddenMode);
    EXPECT_EQ(ui.GetText(), "");

    tooltip.SetToolTipColorMode(4);
    EXPECT_EQ(ui.GetText(), "Rainbow");
    tooltip.HideToolTip();
    EXPECT_FALSE(ui.GetWidget()->isVisible());

    tooltip.SetToolTipMode(9);
    EXPECT_FALSE(ui.GetWidget()->isVisible()) << "no function 9";

    // The key handling calls from its worker.
    SetFunctionToolTip(&tooltip);
    std::thread worker([] { GetFunctionToolTip()->SetToolTipMode(5); });
    worker.join();
    EXPECT_TRUE(WaitFor([&] { return ui.GetMode() == 5; }));
    EXPECT_EQ(ui.GetText(), "Annotation pen");
    tooltip.Destroy();
}
