#include "ToolTip_UI.h"

#include "CaptureBlockers.h"
#include "Clock.h"
#include "ConfigManager.h"
#include "KVOLog.h"
#include "LanguageConfig.h"
#include "PresentationScreen.h"
#include "QtScreens.h"
#include "X11KeepAbove.h"

#include <QWidget>

ToolTip_UI::ToolTip_UI(const platform::IScreens& screens) : WindowImplBase("ToolTipUI.xml"), m_screens(screens) {}

bool ToolTip_UI::Build(HWND owner)
{
    if (GetHWND() != nullptr)
        return true;
    const HWND hwnd = Create(owner, "", WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                             WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TRANSPARENT);
    if (hwnd == nullptr) {
        WriteLog(KVO_LOG_ERROR, "ToolTip_UI::Build ToolTipUI.xml could not be built");
        return false;
    }
    Place();
    return true;
}

void ToolTip_UI::InitWindow()
{
    m_pText = m_PaintManager.FindControl("ToolTipText");
    if (m_pText != nullptr)
        m_rcTextAtScale2 = m_pText->GetPos();
    // A window manager stacks a stay-on-top window under a focused full-screen slide show.
    if (QWidget* window = GetWidget()) {
        window->setWindowFlag(Qt::X11BypassWindowManagerHint, true);
        platform::X11KeepAbove::Track(window);
        // It names the function just left: the next one's frozen picture waits until it is gone.
        platform::CaptureBlockers::Add(window);
    }
}

void ToolTip_UI::Place()
{
    QWidget* window = GetWidget();
    if (window == nullptr)
        return;
    const ToolTipPlacement placement =
        ToolTipPlacementFor(platform::LogicalMonitors(m_screens), CConfigManager::GetInstance().IsLargeScreen());
    m_scale = placement.scale;
    m_placed = placement.rect;
    window->setGeometry(placement.rect.x, placement.rect.y, placement.rect.width, placement.rect.height);
    if (CControlUI* root = m_PaintManager.GetRoot())
        root->Place(QRect(0, 0, placement.rect.width, placement.rect.height));
    // The skin is drawn for scale 2; a large screen gets the text area grown in proportion.
    if (m_pText != nullptr) {
        const auto grow = [this](long v) { return v * m_scale / 2; };
        m_pText->SetPos(RECT{grow(m_rcTextAtScale2.left), grow(m_rcTextAtScale2.top), grow(m_rcTextAtScale2.right),
                             grow(m_rcTextAtScale2.bottom)});
    }
}

void ToolTip_UI::SetToolTipMode(int functionId)
{
    WriteLog(KVO_LOG_DEBUG, "SetToolTipMode begin mode:%d", functionId);
    const char* key = FunctionNameKey(functionId);
    if (key == nullptr) {
        WriteLog(KVO_LOG_WARN, "ToolTip_UI::SetToolTipMode no function %d", functionId);
        return;
    }
    Place();
    const std::string text = CLanguageConfig::GetInstance().GetText("funsel", key);
    ShowText(text);
    m_state.Set(functionId, platform::GetTickCount());
    WriteLog(KVO_LOG_INFO, "ToolTip_UI::SetToolTipMode %s Dialog", text.c_str());
}

void ToolTip_UI::SetToolTipColorMode(int colourMode)
{
    const char* key = ColourNameKey(colourMode);
    if (key == nullptr) {
        WriteLog(KVO_LOG_WARN, "ToolTip_UI::SetToolTipColorMode no colour %d", colourMode);
        return;
    }
    ShowText(CLanguageConfig::GetInstance().GetText("funset", key));
    m_state.Set(colourMode, platform::GetTickCount());
}

void ToolTip_UI::ShowText(const std::string& text)
{
    if (m_pText != nullptr)
        m_pText->SetText(CDuiString(text));
    QWidget* window = GetWidget();
    // On the overlay layer at the same corner of the presentation screen, the same distance in.
    const platform::ScreenRect screen = platform::ChoosePresentationScreen(platform::LogicalMonitors(m_screens));
    const int margin = screen.x + screen.width - (m_placed.x + m_placed.width);
    const bool onOverlay = window != nullptr && m_overlay.Show(*window, screen, margin);
    if (!onOverlay && window != nullptr && !window->isVisible())
        ShowWindow(true, false);
    // Polled only while the tooltip is up.
    SetTimer(kHideTimerId, kHideTimerMs);
}

void ToolTip_UI::HideToolTip()
{
    KillTimer(kHideTimerId);
    Conceal();
    m_state.Hide();
}

void ToolTip_UI::Conceal()
{
    m_overlay.Hide();
    ShowWindow(false, false);
}

LRESULT ToolTip_UI::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM, bool& bHandled)
{
    bHandled = true;
    const int value = static_cast<int>(wParam);
    if (uMsg == WM_TIMER && wParam == kHideTimerId)
        OnHideTimer();
    else if (uMsg == WM_TOOLTIP_MODE)
        SetToolTipMode(value);
    else if (uMsg == WM_TOOLTIP_COLOR_MODE)
        SetToolTipColorMode(value);
    else if (uMsg == WM_TOOLTIP_HIDE)
        HideToolTip();
    else
        bHandled = false;
    return 0;
}

void ToolTip_UI::OnHideTimer()
{
    if (!m_state.HideDue(platform::GetTickCount()))
        return;
    if (m_pText != nullptr)
        m_pText->SetText("");
    KillTimer(kHideTimerId);
    Conceal();
}

std::string ToolTip_UI::GetText() const { return m_pText != nullptr ? m_pText->GetText().str() : std::string(); }
