#include "ToolTip_Fun.h"

#include "KVOLog.h"
#include "UiThread.h"

ToolTip_Fun::ToolTip_Fun(const platform::IScreens& screens) : m_window(screens) {}

ToolTip_Fun::~ToolTip_Fun()
{
    // Key handling must not reach a manager that is gone.
    ClearFunctionToolTip(this);
}

bool ToolTip_Fun::Create(HWND mainWnd)
{
    const bool built = m_window.Build(mainWnd);
    m_hPostTarget.store(m_window.GetHWND());
    return built;
}

void ToolTip_Fun::Destroy()
{
    m_hPostTarget.store(nullptr);
    if (m_window.GetHWND() != nullptr)
        m_window.Close(IDOK);
}

void ToolTip_Fun::SetToolTipMode(int functionId) { OnUiThread(ToolTip_UI::WM_TOOLTIP_MODE, functionId); }

void ToolTip_Fun::SetToolTipColorMode(int colourMode) { OnUiThread(ToolTip_UI::WM_TOOLTIP_COLOR_MODE, colourMode); }

void ToolTip_Fun::HideToolTip() { OnUiThread(ToolTip_UI::WM_TOOLTIP_HIDE, 0); }

void ToolTip_Fun::OnUiThread(UINT msg, int value)
{
    // The handle is looked up under the window registry's lock, so a window being closed
    // either gets the message or drops it.
    if (!DeliverToWindow(m_window, m_hPostTarget.load(), msg, static_cast<WPARAM>(value)))
        WriteLog(KVO_LOG_DEBUG, "ToolTip_Fun: no tooltip window for message %u", msg);
}
