#pragma once
// The tooltip manager, one per program: owns the tooltip window and passes the key handling's
// calls to it on the UI thread. Register it with SetFunctionToolTip once built.

#include "IFunctionToolTip.h"
#include "ToolTip_UI.h"

#include <atomic>

class ToolTip_Fun : public IFunctionToolTip {
public:
    explicit ToolTip_Fun(const platform::IScreens& screens);
    ~ToolTip_Fun() override;

    // Builds the window owned by the main window. UI thread.
    bool Create(HWND mainWnd);
    // Closes the window. UI thread.
    void Destroy();

    // Any thread.
    void SetToolTipMode(int functionId) override;
    void SetToolTipColorMode(int colourMode) override;
    void HideToolTip() override;

    ToolTip_UI& GetWindow() { return m_window; }

private:
    // Runs `call` on the tooltip window on the UI thread, at once when already there.
    void OnUiThread(UINT msg, int value);

    ToolTip_UI m_window;
    // The window's handle for other threads; null while there is no window.
    std::atomic<HWND> m_hPostTarget{nullptr};
};
