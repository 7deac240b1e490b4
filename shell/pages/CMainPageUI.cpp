#include "CMainPageUI.h"

#include "CAboutPageUI.h"
#include "ConfigManager.h"
#include "ControllerSet.h"
#include "DialogOpenFlag.h"
#include "KVOLog.h"
#include "LanguageConfig.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <utility>

namespace {

constexpr const char* kMainStyle = "main_style";
constexpr DWORD kTabTextColor = 0xFFD2D2D2;
constexpr std::array<const char*, kMainPageCount> kTabButtonNames = {"Bnt_SelectFunction", "Bnt_SetFunction",
                                                                     "Bnt_Timer", "Bnt_AboutUs", "Bnt_Help"};
constexpr UINT WM_RESTORE_DONE = WM_USER + 1009;

DeviceStatusSnapshot DeviceMgrStatus()
{
    DeviceStatusSnapshot snapshot;
    if (const DeviceMgr* mgr = ExistingDeviceMgr()) {
        snapshot.present = true;
        snapshot.status = mgr->GetStatus();
        snapshot.charging = mgr->GetCharging();
    }
    return snapshot;
}

int DeviceMgrType()
{
    const DeviceMgr* mgr = ExistingDeviceMgr();
    return mgr != nullptr ? mgr->GetDevType() : 0;
}

std::string Text(const char* section, const char* key) { return CLanguageConfig::GetInstance().GetText(section, key); }

} // namespace

CMainPageUI::CMainPageUI(CPaintManagerUI* manager)
    : m_pManager(manager), m_background(manager), m_captionIcon(manager), m_captionName(manager),
      m_minButton(manager), m_closeButton(manager),
      m_tabButtons{CDuilibButton(manager), CDuilibButton(manager), CDuilibButton(manager), CDuilibButton(manager),
                   CDuilibButton(manager)},
      m_lineNotSelect(manager), m_lineSelect(manager), m_demonstration(manager), m_mouseCenter(manager),
      m_statusLine(manager)
{
    m_pages[kAboutPage] = std::make_unique<CAboutPageUI>(manager);
}

CMainPageUI::~CMainPageUI() = default;

void CMainPageUI::Init(HWND mainWnd, bool startedHidden, Hooks hooks)
{
    m_hMainWnd = mainWnd;
    m_bStartedHidden = startedHidden;
    m_hooks = std::move(hooks);
    if (!m_hooks.deviceStatus)
        m_hooks.deviceStatus = DeviceMgrStatus;
    if (!m_hooks.deviceType)
        m_hooks.deviceType = DeviceMgrType;
    CTrayIcon::Handlers handlers;
    handlers.leftClick = [this] { OnTrayLeftClick(); };
    handlers.menuOpening = [this] { OnTrayMenuOpening(); };
    handlers.settings = [this] { OnTraySettings(); };
    handlers.close = [this] { OnTrayClose(); };
    m_tray = std::make_unique<CTrayIcon>(std::move(handlers), m_hooks.trayProbe);
}

void CMainPageUI::SetPage(int index, std::unique_ptr<IPageUI> page)
{
    if (index >= 0 && index < kMainPageCount)
        m_pages[static_cast<std::size_t>(index)] = std::move(page);
}

IPageUI* CMainPageUI::GetPage(int index) const
{
    return index >= 0 && index < kMainPageCount ? m_pages[static_cast<std::size_t>(index)].get() : nullptr;
}

void CMainPageUI::LoadStatusTexts()
{
    for (DeviceStatusText text : {DeviceStatusText::Offline, DeviceStatusText::Online, DeviceStatusText::Charging})
        m_statusTexts[static_cast<std::size_t>(text)] = Text("other", StatusTextKey(text));
}

std::string CMainPageUI::GetStatusText(DeviceStatusText text) const { return m_statusTexts[static_cast<std::size_t>(text)]; }

void CMainPageUI::StyleAndShow(bool show)
{
    m_background.Init("windowbackground", kMainStyle, "main_windowbackground", show);
    m_captionIcon.Init("CaptionICON", kMainStyle, "main_CaptionICON", show);
    if (CControlUI* icon = m_captionIcon.GetControl())
        icon->SetBkImage("");
    m_captionName.Init("CaptionName", kMainStyle, "main_CaptionName", show);
    if (CControlUI* name = m_captionName.GetControl())
        name->SetText("");
    m_minButton.Init("minbtn", kMainStyle, "main_minbtn", show);
    m_closeButton.Init("closebtn", kMainStyle, "main_closebtn", show);
    m_tabButtons[0].Init(kTabButtonNames[0], kMainStyle, "main_Bnt_SelectFunction", show);
    m_tabButtons[1].Init(kTabButtonNames[1], kMainStyle, "main_Bnt_SetFunction", show);
    // The timer and help tabs have no pages in this product: three tabs remain.
    m_tabButtons[2].Init(kTabButtonNames[2], kMainStyle, "main_Bnt_Timer", false);
    m_tabButtons[3].Init(kTabButtonNames[3], kMainStyle, "main_Bnt_AboutUs_Brisan", show);
    m_tabButtons[4].Init(kTabButtonNames[4], kMainStyle, "main_Bnt_Help_Brisan", show);
    m_tabButtons[4].SetVisible(false);
    m_lineNotSelect.Init("Line_NotSelect", kMainStyle, "main_Line_NotSelect", show);
    m_lineSelect.Init("Line_Select", kMainStyle, "main_Line_Select", show);
    m_demonstration.Init("FunSet_demonstration", "funset_searchlight_style", "funset_searchlight_style_demonstration",
                         show);
    m_mouseCenter.Init("FunSet_Mouse_Center", "funset_searchlight_style",
                       "funset_searchlight_style_demonstration_mouse_center", show);
    m_statusLine.Init("ElectricQuantity_TipText", kMainStyle, "main_ElectricQuantity_TipText", show);
    SelectPage(kSetPage);
    if (!show)
        return;
    RefreshCaption();
    m_minButton.SetToolTip("funsel", "app_min_button");
    m_closeButton.SetToolTip("funsel", "app_close_button");
    m_tabButtons[0].SetTextFromTable("funsel", "function_choose_menu");
    m_tabButtons[1].SetTextFromTable("funset", "function_setting_menu");
    m_tabButtons[2].SetTextFromTable("timer", "timer_menu");
    m_tabButtons[3].SetTextFromTable("about", "about_menu");
    m_tabButtons[4].SetTextFromTable("help", "help_menu");
    // The device status at once in the table's language, not the skin's text until the first tick.
    if (!m_statusTexts[static_cast<std::size_t>(DeviceStatusText::Offline)].empty()) {
        m_shownStatus.clear();
        OnStatusTimer();
    }
}

void CMainPageUI::StyleTabButtons()
{
    for (std::size_t i = 0; i < m_tabButtons.size(); ++i) {
        m_tabButtons[i].SetNormalImageAndTextColors("", kTabTextColor, kTabTextColor);
        if (CControlUI* button = m_tabButtons[i].GetControl()) {
            if (!m_tabHotImages[i])
                m_tabHotImages[i] = button->GetHotImage();
            button->SetHotImage(*m_tabHotImages[i]);
        }
    }
}

void CMainPageUI::SelectPage(int page)
{
    const std::optional<TabUnderlineRect> underline = TabUnderlineFor(page);
    if (!underline) {
        WriteLog(KVO_LOG_WARN, "CMainPageUI::SelectPage no page %d", page);
        return;
    }
    StyleTabButtons();
    for (const std::unique_ptr<IPageUI>& each : m_pages) {
        if (each)
            each->StyleAndShow(false);
    }
    CConfigManager::GetInstance().SetRuntime(CConfigManager::Runtime::CurrentPage, page);

    if (CControlUI* button = m_tabButtons[static_cast<std::size_t>(page)].GetControl()) {
        button->ApplyAttributeList(CDuiString(Text(kMainStyle, "main_tab_selected")));
        // Under the pointer the selected tab still looks selected.
        button->SetHotImage(button->GetNormalImage());
        if (auto* tab = qobject_cast<CButtonUI*>(button))
            tab->SetHotTextColor(tab->GetTextColor());
    }
    if (auto* tabs = m_pManager != nullptr ? m_pManager->FindControlAs<CTabLayoutUI>("MainTab") : nullptr)
        tabs->SelectItem(page);
    if (IPageUI* current = m_pages[static_cast<std::size_t>(page)].get())
        current->StyleAndShow(true);

    if (CControlUI* line = m_lineSelect.GetControl())
        line->SetPos(RECT{underline->left, underline->top, underline->right, underline->bottom});
    PostToMain(WM_FLOATING_LAYER_PLACE);
}

int CMainPageUI::GetCurrentPage() const
{
    return CConfigManager::GetInstance().GetRuntime(CConfigManager::Runtime::CurrentPage);
}

void CMainPageUI::Notify(TNotifyUI& msg)
{
    if (msg.sType == DUI_MSGTYPE_CLICK && msg.pSender != nullptr) {
        const CDuiString name = msg.pSender->GetName();
        if (name == kTabButtonNames[0])
            SelectPage(kSelectPage);
        else if (name == kTabButtonNames[1])
            SelectPage(kSetPage);
        else if (name == kTabButtonNames[3])
            SelectPage(kAboutPage);
        else if (name == "minbtn" || name == "closebtn")
            HideMainWindow();
    }
    const int current = GetCurrentPage();
    // The floating layer belongs to the function setting page alone.
    if (current != kSetPage)
        ClearFloatingLayer();
    if (IPageUI* page = GetPage(current))
        page->Notify(msg);
}

bool CMainPageUI::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    result = 0;
    switch (uMsg) {
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
        return HandleDrag(uMsg, wParam, lParam);
    case WM_TIMER:
        if (wParam == kStatusTimerId)
            OnStatusTimer();
        else if (wParam == kHousekeepingTimerId)
            OnHousekeepingTimer();
        else
            return false;
        return true;
    case WM_CLOSE:
        HideMainWindow();
        return true;
    case WM_RESTORE_DONE:
        return true;
    case WM_SELECT_SET_PAGE:
        SelectPage(kSetPage);
        return true;
    case WM_DEVICE_PRESENT:
        RefreshCaption();
        return true;
    case WM_FLOATING_LAYER_EMPTY:
        ClearFloatingLayer();
        return true;
    case WM_ON_TRAY_DLETE:
        WriteLog(KVO_LOG_INFO, "CMainPageUI::HandleCustomMessage WM_ON_TRAY_DLETE");
        if (m_tray)
            m_tray->Delete();
        return true;
    case WM_FLOATING_LAYER_PLACE:
        if (m_hooks.floatingLayer != nullptr)
            m_hooks.floatingLayer->PlaceOverMainWindow();
        return true;
    case WM_SETTINGS_CHANGED:
        if (IPageUI* page = GetPage(GetCurrentPage()))
            page->Refresh();
        return true;
    case WM_SOFT_KILL:
        WriteLog(KVO_LOG_INFO, "CMainPageUI::Soft kill by presenterTool");
        RequestShutdown();
        return true;
    default:
        return false;
    }
}

bool CMainPageUI::HandleDrag(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    QWidget* window = WidgetFromHWND(m_hMainWnd);
    if (window == nullptr)
        return false;
    const QPoint client(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    const QPoint cursor = window->mapToGlobal(client);
    if (uMsg == WM_LBUTTONDOWN) {
        if (!m_drag.Press(client.y(), {cursor.x(), cursor.y()}, {window->x(), window->y()}))
            return false;
        WriteLog(KVO_LOG_DEBUG, "OnLButtonDown");
        // Where the window system ignores our moves, it drags the window itself; the floating
        // layer, a part of the window there, goes with it.
        if (WindowImplBase::StartWindowSystemMove(window))
            m_drag.Release();
        return true;
    }
    if (uMsg == WM_LBUTTONUP) {
        if (!m_drag.Release())
            return false;
        WriteLog(KVO_LOG_DEBUG, "OnLButtonUp");
        return true;
    }
    // A move without the button held means the release went elsewhere: the drag is over.
    if (!(wParam & MK_LBUTTON)) {
        m_drag.Release();
        return false;
    }
    const std::optional<DragPoint> moved = m_drag.Move({cursor.x(), cursor.y()});
    if (!moved)
        return false;
    window->move(moved->x, moved->y);
    PostToMain(WM_FLOATING_LAYER_PLACE);
    return true;
}

void CMainPageUI::OnStatusTimer()
{
    const DeviceStatusSnapshot device = m_hooks.deviceStatus ? m_hooks.deviceStatus() : DeviceStatusSnapshot{};
    const std::string& text = m_statusTexts[static_cast<std::size_t>(StatusTextFor(device))];
    // Unchanged texts are not set again: the line would repaint every second for nothing.
    if (text == m_shownStatus && m_statusLine.GetControl() != nullptr)
        return;
    m_shownStatus = text;
    if (CControlUI* line = m_statusLine.GetControl())
        line->SetText(CDuiString(text));
}

void CMainPageUI::OnHousekeepingTimer()
{
    const CConfigManager& config = CConfigManager::GetInstance();
    const bool dialogOpen = config.GetRuntime(CConfigManager::Runtime::DialogOpen) != 0;
    const HousekeepingAction action =
        m_housekeeping.OnTimer(m_bStartedHidden, GetCurrentPage(), IsWindowVisible(m_hMainWnd), dialogOpen);
    if (action.hideWindow)
        ::ShowWindow(m_hMainWnd, SW_HIDE);
    if (action.clearFloatingLayer)
        ClearFloatingLayer();
}

void CMainPageUI::RefreshCaption()
{
    const int devType = m_hooks.deviceType ? m_hooks.deviceType() : 0;
    const std::optional<CaptionKind> kind = CaptionKindFor(devType);
    if (!kind) {
        if (CControlUI* icon = m_captionIcon.GetControl())
            icon->SetBkImage("");
        if (CControlUI* name = m_captionName.GetControl())
            name->SetText("");
        return;
    }
    const CaptionKeys keys = CaptionKeysFor(*kind);
    m_captionIcon.Init("CaptionICON", kMainStyle, keys.iconStyle, true, true);
    m_captionName.Init("CaptionName", kMainStyle, keys.nameStyle, true, true);
    ShowTrayIcon(keys);
    if (CControlUI* name = m_captionName.GetControl())
        name->SetText(CDuiString(m_appName));
}

void CMainPageUI::ShowTrayIcon()
{
    if (const std::optional<CaptionKind> kind = CaptionKindFor(m_hooks.deviceType ? m_hooks.deviceType() : 0))
        ShowTrayIcon(CaptionKeysFor(*kind));
}

void CMainPageUI::ShowTrayIcon(const CaptionKeys& keys)
{
    m_appName = Text("funsel", keys.nameText);
    if (m_tray)
        m_tray->Show(m_appName);
}

void CMainPageUI::BeginStartup() { m_bStarting = true; }

void CMainPageUI::EndStartup()
{
    if (!m_bStarting)
        return;
    m_bStarting = false;
    // Both wait for the event loop: the window is shown or hidden right after its creation.
    if (m_bShutdownPending) {
        m_bShutdownPending = false;
        m_pendingRestore = nullptr;
        PostToMain(WM_SOFT_KILL);
        return;
    }
    if (m_pendingRestore)
        QTimer::singleShot(0, &m_timerContext, std::exchange(m_pendingRestore, nullptr));
}

void CMainPageUI::RequestShutdown()
{
    if (m_bStarting) {
        WriteLog(KVO_LOG_INFO, "CMainPageUI::Shutdown requested during start-up, done once it is complete");
        m_bShutdownPending = true;
        return;
    }
    // A dialog's caller still runs inside a page: freeing the pages now would pull them from
    // under it. Close the dialogs and come back once their callers have returned.
    if (DialogOpenFlag::AnyOpen()) {
        WriteLog(KVO_LOG_INFO, "CMainPageUI::Shutdown requested while a dialog is open, done once it is closed");
        DialogOpenFlag::CloseAllThen([alive = QPointer<QObject>(&m_timerContext), this] {
            if (alive)
                RequestShutdown();
        });
        return;
    }
    if (m_hooks.shutdown)
        m_hooks.shutdown();
}

void CMainPageUI::RestoreWhenStarted(std::function<void()> restore)
{
    if (m_bStarting)
        m_pendingRestore = std::move(restore);
    else
        restore();
}

void CMainPageUI::HideMainWindow()
{
    SelectPage(kSetPage);
    ::ShowWindow(m_hMainWnd, SW_HIDE);
}

void CMainPageUI::RestoreMainWindow()
{
    ::ShowWindow(m_hMainWnd, SW_RESTORE);
    if (QWidget* window = WidgetFromHWND(m_hMainWnd))
        window->raise();
    PostToMain(WM_FLOATING_LAYER_PLACE);
}

void CMainPageUI::OnTrayLeftClick()
{
    if (m_hooks.endCurrentMode)
        m_hooks.endCurrentMode();
    // The effect's own windows go first; the settings window comes up after them.
    const HWND wnd = m_hMainWnd;
    RestoreWhenStarted([this, wnd] {
        QTimer::singleShot(kRestoreDelayMs, &m_timerContext, [this, wnd] {
            if (IsWindow(wnd))
                RestoreMainWindow();
        });
    });
}

void CMainPageUI::OnTrayMenuOpening()
{
    if (m_hooks.endCurrentMode)
        m_hooks.endCurrentMode();
    // Only a window already on screen comes forward; the menu must not reveal a hidden one.
    if (IsWindowVisible(m_hMainWnd)) {
        if (QWidget* window = WidgetFromHWND(m_hMainWnd)) {
            window->raise();
            window->activateWindow();
        }
    }
}

void CMainPageUI::OnTraySettings()
{
    const HWND wnd = m_hMainWnd;
    RestoreWhenStarted([this, wnd] {
        QTimer::singleShot(kRestoreDelayMs, &m_timerContext, [this, wnd] {
            if (!IsWindow(wnd))
                return;
            RestoreMainWindow();
            SelectPage(GetCurrentPage());
        });
    });
}

void CMainPageUI::OnTrayClose() { RequestShutdown(); }

void CMainPageUI::PostToMain(UINT msg)
{
    if (m_hMainWnd != nullptr)
        ::PostMessageW(m_hMainWnd, msg, 0, 0);
}

void CMainPageUI::ClearFloatingLayer()
{
    if (m_hooks.floatingLayer != nullptr)
        m_hooks.floatingLayer->SetEmptyRect();
}
