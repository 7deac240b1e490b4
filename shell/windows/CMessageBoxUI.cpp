#include "CMessageBoxUI.h"

#include "Clock.h"
#include "KVOLog.h"
#include "LanguageConfig.h"
#include "QtScreens.h"
#include "X11KeepAbove.h"
#include "UiThread.h"

#include <QCursor>
#include <QFontMetrics>
#include <QWidget>

namespace {
// Delivered to the window itself, at once on the UI thread and posted from worker threads.
constexpr UINT WM_MESSAGEBOX_SHOW = WM_USER + 201;

POINT RealCursor()
{
    const QPoint pos = QCursor::pos();
    return POINT{pos.x(), pos.y()};
}
} // namespace

CMessageBoxUI::CMessageBoxUI(const platform::IScreens& screens, CursorSource cursor)
    : WindowImplBase("MessageBoxUI.xml"), m_screens(screens), m_cursor(cursor ? std::move(cursor) : RealCursor)
{
}

CMessageBoxUI::~CMessageBoxUI() = default;

bool CMessageBoxUI::Build()
{
    if (GetHWND() != nullptr)
        return true;
    const HWND hwnd = Create(nullptr, "", WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                             WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, 0, 0, kWidth, kHeight);
    if (hwnd == nullptr)
        WriteLog(KVO_LOG_ERROR, "CMessageBoxUI::Build MessageBoxUI.xml could not be built");
    m_hPostTarget.store(hwnd);
    return hwnd != nullptr;
}

void CMessageBoxUI::Destroy()
{
    if (GetHWND() == nullptr)
        return;
    m_hPostTarget.store(nullptr);
    KillTimer(kHideTimerId);
    Close(IDOK);
}

void CMessageBoxUI::InitWindow()
{
    m_pLabel = m_PaintManager.FindControl("Messasge_Label");
    // A window manager stacks a stay-on-top window under a focused full-screen slide show.
    if (QWidget* window = GetWidget()) {
        window->setWindowFlag(Qt::X11BypassWindowManagerHint, true);
        platform::X11KeepAbove::Track(window);
    }
}

void CMessageBoxUI::ShowTooltip(const char* section, const char* key, int durationMs)
{
    ShowMessage(CLanguageConfig::GetInstance().GetText(section, key), durationMs);
}

void CMessageBoxUI::ShowMessage(const std::string& text, int durationMs)
{
    const uint32_t duration = durationMs > 0 ? static_cast<uint32_t>(durationMs) : 0;
    {
        std::lock_guard lock(m_pendingLock);
        m_pendingText = text;
        m_pendingDuration = duration;
        m_bPending = true;
    }
    if (!DeliverToWindow(*this, m_hPostTarget.load(), WM_MESSAGEBOX_SHOW))
        WriteLog(KVO_LOG_WARN, "CMessageBoxUI::ShowMessage no window for: %s", text.c_str());
}

LRESULT CMessageBoxUI::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM, bool& bHandled)
{
    bHandled = true;
    if (uMsg == WM_MESSAGEBOX_SHOW)
        ShowPending();
    else if (uMsg == WM_TIMER && wParam == kHideTimerId)
        OnHideTimer();
    else
        bHandled = false;
    return 0;
}

void CMessageBoxUI::ShowPending()
{
    std::string text;
    uint32_t duration = 0;
    {
        std::lock_guard lock(m_pendingLock);
        if (!m_bPending)
            return;
        text = std::move(m_pendingText);
        duration = m_pendingDuration;
        m_bPending = false;
    }
    ShowNow(text, duration);
}

void CMessageBoxUI::ShowNow(const std::string& text, uint32_t durationMs)
{
    QWidget* window = GetWidget();
    if (window == nullptr) {
        WriteLog(KVO_LOG_WARN, "CMessageBoxUI::ShowMessage no window for: %s", text.c_str());
        return;
    }
    m_schedule.Show(durationMs, platform::GetTickCount());
    if (m_pLabel != nullptr) {
        m_pLabel->SetText(CDuiString(text));
        const int width = QFontMetrics(m_PaintManager.GetDefaultFont()).horizontalAdvance(QString::fromStdString(text));
        m_pLabel->SetAttribute("align", MessageAlignFor(width));
    }
    const POINT cursor = m_cursor();
    const platform::ScreenRect monitor =
        MonitorUnder(platform::LogicalMonitors(m_screens), static_cast<int>(cursor.x), static_cast<int>(cursor.y));
    const platform::ScreenRect box = CentredOn(monitor, kWidth, kHeight);
    window->setGeometry(box.x, box.y, box.width, box.height);
    // On the overlay layer in the middle of the same monitor, above a native full-screen slide.
    if (!m_overlay.Show(*window, monitor)) {
        ShowWindow(true, false);
        window->raise();
    }
    // The timer runs only while a message is up, so an idle program does not wake for it.
    SetTimer(kHideTimerId, kHideTimerMs);
}

void CMessageBoxUI::OnHideTimer()
{
    const std::optional<uint32_t> elapsed = m_schedule.HideDue(platform::GetTickCount());
    if (!elapsed)
        return;
    KillTimer(kHideTimerId);
    m_overlay.Hide();
    ShowWindow(false, false);
    WriteLog(KVO_LOG_DEBUG, "CMessageBoxUI::HandleCustomMessage Hide ntime:%u", *elapsed);
}

std::string CMessageBoxUI::GetText() const { return m_pLabel != nullptr ? m_pLabel->GetText().str() : std::string(); }
