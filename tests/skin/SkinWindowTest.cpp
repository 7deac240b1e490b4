// Windows built from skin files: lookup, layout, notifications, messages, modality, rendering.

#include <QApplication>
#include <QImage>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

#include "QtAppEnvironment.h"
#include "SkinMessage.h"
#include "UIlib.h"
#include "UiThread.h"

namespace {

const char* const kSkin = R"(<?xml version="1.0" encoding="UTF-8"?>
<Window size="300,200" caption="0,0,0,30">
  <Font id="0" name="DejaVu Sans" size="12" default="true"/>
  <Font id="1" size="20" bold="true"/>
  <Default name="Button" value="textcolor=&quot;#FFFFFFFF&quot; hottextcolor=&quot;#FFFF0000&quot;"/>
  <VerticalLayout name="windowbackground" bkcolor="#FF102030" inset="10,5,10,5" childpadding="4">
    <Label name="title" height="30" text="Title" font="1"/>
    <HorizontalLayout name="row" childpadding="2">
      <Button name="left" width="50"/>
      <Control name="spacer"/>
      <Button name="right" width="60" padding="3,0,0,0"/>
    </HorizontalLayout>
    <TabLayout name="tabs" height="40">
      <Label name="page0" text="zero"/>
      <Label name="page1" text="one"/>
    </TabLayout>
    <Combo name="combo" height="20"><ListLabelElement name="c0" text="a"/><ListLabelElement text="b"/></Combo>
    <Label name="floater" float="true" pos="200,2,260,22"/>
    <Unknown name="ignored"><Button name="insideUnknown"/></Unknown>
  </VerticalLayout>
</Window>)";

class CTestWindow : public WindowImplBase {
public:
    using WindowImplBase::WindowImplBase;

    void InitWindow() override { initControlFound = m_PaintManager.FindControl("title") != nullptr; }
    void Notify(TNotifyUI& msg) override { notes.push_back({msg.sType.str(), msg.pSender}); }
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override
    {
        if (uMsg >= WM_USER) {
            messages.push_back({uMsg, wParam, lParam, std::this_thread::get_id()});
            bHandled = true;
        }
        return 0;
    }
    void OnFinalMessage(HWND) override { finalCalls++; }

    struct Message {
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
        std::thread::id thread;
    };
    bool initControlFound = false;
    std::vector<std::pair<std::string, CControlUI*>> notes;
    std::vector<Message> messages;
    int finalCalls = 0;
};

class SkinWindowTest : public ::testing::Test {
protected:
    SkinWindowTest() { m_folder.Write("Test.xml", kSkin); }

    RECT Pos(CTestWindow& w, const char* name)
    {
        CControlUI* c = w.GetPaintManager().FindControl(name);
        EXPECT_NE(c, nullptr) << name;
        return c ? c->GetPos() : RECT{};
    }

    SkinFolder m_folder;
};

bool WaitFor(const std::function<bool()>& done)
{
    for (int i = 0; i < 200 && !done(); ++i)
        QTest::qWait(10);
    return done();
}

} // namespace

TEST_F(SkinWindowTest, BuildsControlsFoundByNameAndRunsInitBeforeCreateReturns)
{
    CTestWindow window("Test.xml");
    ASSERT_NE(window.Create(nullptr, "test", WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 0, 0), nullptr);
    EXPECT_TRUE(window.initControlFound);
    CPaintManagerUI& pm = window.GetPaintManager();
    EXPECT_NE(pm.FindControlAs<CVerticalLayoutUI>("windowbackground"), nullptr);
    EXPECT_NE(pm.FindControlAs<CButtonUI>("left"), nullptr);
    EXPECT_NE(pm.FindControlAs<CListLabelElementUI>("c0"), nullptr);
    EXPECT_EQ(pm.FindControlAs<CButtonUI>("title"), nullptr); // a label, not a button
    EXPECT_EQ(pm.FindControl("ignored"), nullptr);
    EXPECT_EQ(pm.FindControl("insideUnknown"), nullptr);
    EXPECT_EQ(pm.FindControl("nosuch"), nullptr);
    // Object names make the controls visible to Qt's own lookup and to UI automation.
    EXPECT_EQ(window.GetWidget()->findChild<CControlUI*>("right"), pm.FindControl("right"));
    EXPECT_EQ(window.GetWidget()->size(), QSize(300, 200));
    // Fonts by index; unknown indices give the default font.
    EXPECT_EQ(pm.GetFont(1).pixelSize(), 20);
    EXPECT_TRUE(pm.GetFont(1).bold());
    EXPECT_EQ(pm.GetFont(7).pixelSize(), 12);
    // <Default> attributes reach every Button.
    EXPECT_EQ(pm.FindControlAs<CButtonUI>("right")->GetHotTextColor(), 0xFFFF0000u);
    EXPECT_EQ(pm.FindControlAs<CComboUI>("combo")->GetCount(), 2);
}

TEST_F(SkinWindowTest, LayoutGivesFixedSizesSharesTheRestAndPlacesFloats)
{
    CTestWindow window("Test.xml");
    ASSERT_NE(window.Create(nullptr, "test", WS_POPUP, 0), nullptr);
    // Column inside inset 10,5,10,5 of 300x200: title 30, row shares, tabs 40, combo 20, gaps 4.
    EXPECT_EQ(Pos(window, "title"), (RECT{10, 5, 290, 35}));
    // Row height: 190 - 30 - 40 - 20 - 3*4 = 88.
    EXPECT_EQ(Pos(window, "row"), (RECT{10, 39, 290, 127}));
    EXPECT_EQ(Pos(window, "left"), (RECT{10, 39, 60, 127}));
    // Spacer: 280 - 50 - 60 - 3 - 2*2 = 163.
    EXPECT_EQ(Pos(window, "spacer"), (RECT{62, 39, 225, 127}));
    EXPECT_EQ(Pos(window, "right"), (RECT{230, 39, 290, 127}));
    EXPECT_EQ(Pos(window, "tabs"), (RECT{10, 131, 290, 171}));
    EXPECT_EQ(Pos(window, "floater"), (RECT{200, 2, 260, 22}));

    // Hiding a control gives its room to the others.
    CPaintManagerUI& pm = window.GetPaintManager();
    pm.FindControl("title")->SetVisible(false);
    EXPECT_EQ(Pos(window, "row"), (RECT{10, 5, 290, 127}));

    // A floating control moved in window coordinates stays put across layouts.
    CControlUI* floater = pm.FindControl("floater");
    floater->SetPos(RECT{1, 117, 170, 120});
    pm.FindControl("title")->SetVisible(true);
    EXPECT_EQ(Pos(window, "floater"), (RECT{1, 117, 170, 120}));

    // Tabs show one page at a time.
    auto* tabs = pm.FindControlAs<CTabLayoutUI>("tabs");
    EXPECT_TRUE(tabs->SelectItem(1));
    EXPECT_FALSE(tabs->SelectItem(5));
    window.ShowWindow(true, false);
    EXPECT_FALSE(pm.FindControl("page0")->isVisible());
    EXPECT_TRUE(pm.FindControl("page1")->isVisible());
    EXPECT_EQ(Pos(window, "page1"), Pos(window, "tabs"));
}

TEST_F(SkinWindowTest, MissingOrMalformedSkinGivesNoWindow)
{
    m_folder.Write("Broken.xml", "<Window size=\"10,10\"><VerticalLayout></Window>");
    m_folder.Write("Empty.xml", "<Window size=\"10,10\"><Font id=\"0\"/></Window>");
    for (const char* file : {"Nope.xml", "Broken.xml", "Empty.xml"}) {
        CTestWindow window(file);
        EXPECT_EQ(window.Create(nullptr, "bad", WS_POPUP | WS_VISIBLE, 0), nullptr) << file;
        EXPECT_EQ(window.GetHWND(), nullptr);
        EXPECT_EQ(window.GetWidget(), nullptr);
        EXPECT_EQ(window.ShowModal(), static_cast<UINT>(-1));
    }
    // And the program goes on: a good window still works afterwards.
    CTestWindow good("Test.xml");
    EXPECT_NE(good.Create(nullptr, "good", WS_POPUP, 0), nullptr);
}

TEST_F(SkinWindowTest, NotificationsReachTheOwningWindow)
{
    CTestWindow window("Test.xml");
    ASSERT_NE(window.Create(nullptr, "test", WS_POPUP | WS_VISIBLE, 0), nullptr);
    auto* left = window.GetPaintManager().FindControlAs<CButtonUI>("left");
    QTest::mouseClick(left, Qt::LeftButton, {}, QPoint(5, 5));
    auto* combo = window.GetPaintManager().FindControlAs<CComboUI>("combo");
    combo->SelectItem(1);
    ASSERT_EQ(window.notes.size(), 2u);
    EXPECT_EQ(window.notes[0], (std::pair<std::string, CControlUI*>{"click", left}));
    EXPECT_EQ(window.notes[1], (std::pair<std::string, CControlUI*>{"itemselect", combo}));
}

TEST_F(SkinWindowTest, MessagesPostedFromAnotherThreadArriveOnTheUiThreadIntact)
{
    CTestWindow window("Test.xml");
    const HWND hwnd = window.Create(nullptr, "test", WS_POPUP, 0);
    ASSERT_NE(hwnd, nullptr);
    std::atomic<int> posted{0};
    std::thread worker([&] {
        posted += PostMessageW(hwnd, WM_USER + 1011, static_cast<WPARAM>(-1), static_cast<LPARAM>(-123456789));
        posted += PostMessageToWindow(hwnd, WM_USER + 1014, 7, 8) ? 1 : 0;
        posted += window.PostMessageW(2035, 0xFFFFFFFFu, 0x7FFFFFFF) ? 1 : 0;
    });
    worker.join();
    EXPECT_EQ(posted.load(), 3);
    ASSERT_TRUE(WaitFor([&] { return window.messages.size() == 3; }));
    const auto ui = std::this_thread::get_id();
    EXPECT_EQ(window.messages[0].msg, WM_USER + 1011);
    EXPECT_EQ(window.messages[0].wParam, static_cast<WPARAM>(-1));
    EXPECT_EQ(window.messages[0].lParam, -123456789);
    EXPECT_EQ(window.messages[1].msg, 2038u);
    EXPECT_EQ(window.messages[1].wParam, 7u);
    EXPECT_EQ(window.messages[2].msg, 2035u);
    EXPECT_EQ(window.messages[2].lParam, 0x7FFFFFFF);
    for (const auto& m : window.messages)
        EXPECT_EQ(m.thread, ui);
}

TEST_F(SkinWindowTest, DeliverToWindowSendsAtOnceOnTheUiThreadPostsFromWorkersAndSaysWhenNoWindowTookIt)
{
    CTestWindow window("Test.xml");
    EXPECT_FALSE(DeliverToWindow(window, nullptr, WM_USER + 1)) << "not built yet";
    const HWND hwnd = window.Create(nullptr, "test", WS_POPUP, 0);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_TRUE(DeliverToWindow(window, hwnd, WM_USER + 2, 3, 4));
    ASSERT_EQ(window.messages.size(), 1u) << "handled before DeliverToWindow returns";
    EXPECT_EQ(window.messages[0].wParam, 3u);
    bool posted = false;
    bool postedToNothing = true;
    std::thread worker([&] {
        posted = DeliverToWindow(window, hwnd, WM_USER + 5);
        postedToNothing = DeliverToWindow(window, nullptr, WM_USER + 6);
    });
    worker.join();
    EXPECT_TRUE(posted);
    EXPECT_FALSE(postedToNothing);
    ASSERT_TRUE(WaitFor([&] { return window.messages.size() == 2; }));
    EXPECT_EQ(window.messages[1].msg, WM_USER + 5);
    EXPECT_EQ(window.messages[1].thread, std::this_thread::get_id());
}

TEST_F(SkinWindowTest, PostingToADestroyedWindowIsDropped)
{
    HWND stale = nullptr;
    {
        CTestWindow window("Test.xml");
        stale = window.Create(nullptr, "test", WS_POPUP, 0);
        ASSERT_NE(stale, nullptr);
        EXPECT_TRUE(IsWindow(stale));
        // Queued but never delivered: the window dies first.
        EXPECT_EQ(PostMessageW(stale, WM_USER + 1, 1, 1), TRUE);
    }
    EXPECT_FALSE(IsWindow(stale));
    EXPECT_EQ(PostMessageW(stale, WM_USER + 1, 1, 1), FALSE);
    EXPECT_FALSE(PostMessageToWindow(stale, WM_USER + 1, 1, 1));
    EXPECT_FALSE(PostMessageToWindow(reinterpret_cast<void*>(0xDEADBEEF), WM_USER, 0, 0));
    // A new window never takes over an old handle.
    CTestWindow next("Test.xml");
    EXPECT_NE(next.Create(nullptr, "next", WS_POPUP, 0), stale);
    QCoreApplication::processEvents();
    EXPECT_TRUE(next.messages.empty());
}

TEST_F(SkinWindowTest, ShowModalReturnsTheCloseResultAndTheWindowIsDestroyed)
{
    CTestWindow window("Test.xml");
    const HWND hwnd = window.Create(nullptr, "modal", WS_POPUP, 0);
    ASSERT_NE(hwnd, nullptr);
    // Close from a notification of the window's own button, as dialogs do.
    auto* right = window.GetPaintManager().FindControlAs<CButtonUI>("right");
    QTimer::singleShot(0, [&] { right->Activate(); window.Close(42); });
    EXPECT_EQ(window.ShowModal(), 42u);
    ASSERT_TRUE(WaitFor([&] { return window.finalCalls == 1; }));
    EXPECT_EQ(window.GetHWND(), nullptr);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(window.notes.size(), 1u);

    // Closing by the window manager goes through WM_CLOSE and ends the loop with IDCANCEL.
    CTestWindow other("Test.xml");
    ASSERT_NE(other.Create(nullptr, "modal2", WS_POPUP, 0), nullptr);
    QTimer::singleShot(0, [&] { other.GetWidget()->close(); });
    EXPECT_EQ(other.ShowModal(), IDCANCEL);
}

TEST_F(SkinWindowTest, TimersDeliverWmTimerWithTheirId)
{
    struct CTimerWindow : CTestWindow {
        using CTestWindow::CTestWindow;
        std::vector<WPARAM> ticks;
        LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM, bool& bHandled) override
        {
            if (uMsg == WM_TIMER) {
                ticks.push_back(wParam);
                if (ticks.size() == 2)
                    KillTimer(static_cast<UINT>(wParam)); // from inside its own tick
                bHandled = true;
            }
            return 0;
        }
    } window("Test.xml");
    EXPECT_FALSE(window.SetTimer(1, 5)); // no window yet
    ASSERT_NE(window.Create(nullptr, "timer", WS_POPUP, 0), nullptr);
    EXPECT_TRUE(window.SetTimer(6, 5));
    ASSERT_TRUE(WaitFor([&] { return window.ticks.size() >= 2; }));
    QTest::qWait(50);
    EXPECT_EQ(window.ticks, (std::vector<WPARAM>{6, 6}));
}

TEST_F(SkinWindowTest, DraggingTheCaptionMovesTheWindow)
{
    CTestWindow window("Test.xml");
    ASSERT_NE(window.Create(nullptr, "drag", WS_POPUP | WS_VISIBLE, 0, 100, 100, 0, 0), nullptr);
    QWidget* host = window.GetWidget();
    const QPoint start = host->pos();
    // The title label lies in the caption band and lets the press through to the window.
    QWidget* title = window.GetPaintManager().FindControl("title");
    QTest::mousePress(title, Qt::LeftButton, {}, QPoint(50, 10));
    QMouseEvent move(QEvent::MouseMove, QPointF(80, 35), host->mapToGlobal(QPointF(80, 35)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(host, &move);
    QTest::mouseRelease(host, Qt::LeftButton, {}, QPoint(80, 35));
    EXPECT_EQ(host->pos(), start + QPoint(20, 20));

    // Below the caption nothing moves.
    const QPoint after = host->pos();
    QTest::mousePress(host, Qt::LeftButton, {}, QPoint(150, 190));
    QMouseEvent move2(QEvent::MouseMove, QPointF(170, 195), host->mapToGlobal(QPointF(170, 195)), Qt::NoButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(host, &move2);
    QTest::mouseRelease(host, Qt::LeftButton, {}, QPoint(170, 195));
    EXPECT_EQ(host->pos(), after);
}

TEST_F(SkinWindowTest, GrabShowsTheSkinColours)
{
    m_folder.Write("Small.xml", R"(<Window size="40,30" roundcorner="10,10">
        <HorizontalLayout bkcolor="#FF00FF00"><Control bkcolor="#FFFF0000" width="10"/><Control/></HorizontalLayout>
      </Window>)");
    CTestWindow window("Small.xml");
    ASSERT_NE(window.Create(nullptr, "small", WS_POPUP, 0), nullptr);
    const QImage image = window.GetWidget()->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(image.size(), QSize(40, 30));
    EXPECT_EQ(image.pixel(5, 15), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(25, 15), qRgb(0, 255, 0));
    // Round corners leave the very corner transparent.
    EXPECT_LT(qAlpha(image.pixel(39, 0)), 128);
}

TEST_F(SkinWindowTest, ExtendedStylesBecomeWindowFlagsAndOwnedWindowsDieWithTheirOwner)
{
    auto owner = std::make_unique<CTestWindow>("Test.xml");
    const HWND ownerWnd = owner->Create(nullptr, "owner", WS_POPUP, 0);
    ASSERT_NE(ownerWnd, nullptr);
    CTestWindow overlay("Test.xml");
    const HWND hwnd = overlay.Create(ownerWnd, "overlay", WS_POPUP,
                                     WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TRANSPARENT | WS_EX_LAYERED,
                                     5, 6, 70, 80);
    ASSERT_NE(hwnd, nullptr);
    QWidget* w = overlay.GetWidget();
    const Qt::WindowFlags flags = w->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(flags.testFlag(Qt::WindowTransparentForInput));
    EXPECT_TRUE(w->testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_EQ(w->pos(), QPoint(5, 6));
    EXPECT_EQ(WidgetFromHWND(hwnd), w);

    // Handle-based calls for code that keeps only the handle.
    EXPECT_FALSE(ShowWindow(hwnd, SW_SHOWNOACTIVATE));
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_TRUE(ShowWindow(hwnd, SW_HIDE));
    EXPECT_FALSE(IsWindowVisible(hwnd));

    // Destroying the owner takes the owned window along; its object learns of it.
    owner.reset();
    EXPECT_EQ(overlay.finalCalls, 1);
    EXPECT_EQ(overlay.GetHWND(), nullptr);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(PostMessageW(hwnd, WM_USER, 0, 0), FALSE);
}

TEST_F(SkinWindowTest, MenuItemsFromASkinAndTheChosenName)
{
    m_folder.Write("TrayMenu.xml",
                   "<Menu><MenuElement name=\"setting\" text=\"Settings\"/><MenuSeparator/>"
                   "<MenuElement name=\"off\" text=\"Off\" enabled=\"false\"/><MenuElement name=\"close\" text=\"Exit\"/></Menu>");
    CMenuWnd menu;
    EXPECT_FALSE(menu.LoadFromSkin("Missing.xml"));
    ASSERT_TRUE(menu.LoadFromSkin("TrayMenu.xml"));
    EXPECT_EQ(menu.GetItemCount(), 4);
    EXPECT_FALSE(menu.Choose("off"));
    EXPECT_TRUE(menu.GetClickedMenuName().IsEmpty());
    EXPECT_TRUE(menu.Choose("close"));
    EXPECT_EQ(menu.GetClickedMenuName(), "close");
}
