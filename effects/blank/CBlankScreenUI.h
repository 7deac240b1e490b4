#pragma once
// The blank screen ("BlankScreenUI.xml"): a curtain of the configured colour or picture that
// rolls down over the presentation screen, 80 pixels every 30 ms, and up again the same way,
// with the cursor hidden while it is up. An opaque override-redirect window, so it looks the
// same with or without a compositor and covers a full-screen slide show.
// The window lives on the UI thread; show, hide and the showing flag may be called from any
// thread (they set the state under the lock and post the window work).

#include "EffectServices.h"
#include "IBlankScreen.h"
#include "UIlib.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

class BlankLayer;
namespace platform {
class ICursor;
}

class CBlankScreenUI final : public WindowImplBase, public IBlankScreen {
public:
    static constexpr UINT kCursorTimerId = 1;  // keeps the cursor hidden while showing
    static constexpr UINT kRollTimerId = 2;    // moves the curtain
    static constexpr UINT kCursorTimerMs = 10;
    static constexpr UINT kRollTimerMs = 30;
    static constexpr int kRollStep = 80;
    // Applies the newest show or hide request on the UI thread.
    static constexpr UINT WM_BLANK_UPDATE = 32040;

    // `cursor` is the blank screen's own (on X11 its own connection, so no other part of the
    // program can show a cursor it hides); `deviceType` picks the ...ForMouse settings for 1 and 2.
    CBlankScreenUI(const EffectServices& services, std::unique_ptr<platform::ICursor> cursor,
                   std::function<int()> deviceType);
    ~CBlankScreenUI() override;

    const char* GetWindowClassName() const override { return "CBlankScreenUI"; }
    // Builds the collapsed window. UI thread.
    bool Build();

    void ShowBlankScreen(platform::ScreenRect screen) override;
    void StartHide() override;
    bool IsShowing() const override;
    // Closes the window (at exit). UI thread.
    void Destroy() override;

    // Current curtain height in pixels (0 = rolled up).
    int CurtainHeight() const;
    // The curtain on the compositor's overlay layer, where the session has one.
    BlankLayer* GetLayer() const { return m_pLayer.get(); }
    // The ARGB of colour `index` 1..10; 0 for any other index.
    static DWORD ColourOf(int index);

    void InitWindow() override;
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;

private:
    void ApplyContent();
    void OnRollTimer();
    void OnCursorTimer();
    void GiveCursorBack();

    EffectServices m_services;
    std::unique_ptr<platform::ICursor> m_pCursor;
    std::function<int()> m_deviceType;

    mutable std::mutex m_lock;
    bool m_bShowing = false;
    int m_nDirection = 1;  // 0 rolling down, 1 rolling up
    platform::ScreenRect m_rcTarget;
    int m_nHeight = 0;        // the curtain's bottom edge below the target's top
    bool m_bNewShow = false;  // content still to be applied
    std::atomic<HWND> m_hPostTarget{nullptr};

    // UI thread.
    std::unique_ptr<BlankLayer> m_pLayer;
    CControlUI* m_pBackground = nullptr;
    bool m_bTimersRunning = false;
};
