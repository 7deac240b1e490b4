#pragma once
// A line of text shown for a moment in the middle of the monitor under the cursor
// ("MessageBoxUI.xml"), always on top and never taking the focus. ShowMessage may be called from
// any thread; the window itself lives on the UI thread. It also serves as the device link's
// multi-device notice.

#include "IKVOMultiDeviceTooltip.h"
#include "IScreens.h"
#include "MessageBoxSchedule.h"
#include "UIlib.h"
#include "WindowOnOverlay.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>

class CMessageBoxUI : public WindowImplBase, public IKVOMultiDeviceTooltip {
public:
    static constexpr UINT kHideTimerId = 1;
    static constexpr UINT kHideTimerMs = 50;
    static constexpr int kWidth = 400;
    static constexpr int kHeight = 200;

    // The cursor position in Qt's logical screen coordinates, as QCursor::pos gives it.
    using CursorSource = std::function<POINT()>;

    // `screens` is the monitor layout (kept by the caller); `cursor` defaults to the real cursor.
    explicit CMessageBoxUI(const platform::IScreens& screens, CursorSource cursor = {});
    ~CMessageBoxUI() override;

    // Builds the hidden window. UI thread. False when the skin cannot be built.
    bool Build();
    // Closes the window (its timer with it). UI thread.
    void Destroy();

    // Shows `text` for `durationMs`. Any thread.
    void ShowMessage(const std::string& text, int durationMs);
    // The language text of (section, key). Any thread.
    void ShowTooltip(const char* section, const char* key, int durationMs) override;

    void InitWindow() override;
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;

    // For tests and logs: what the label shows and how it is aligned.
    std::string GetText() const;
    bool IsShown() const { return m_schedule.IsShown(); }

private:
    void ShowPending();
    void ShowNow(const std::string& text, uint32_t durationMs);
    void OnHideTimer();

    const platform::IScreens& m_screens;
    CursorSource m_cursor;
    CControlUI* m_pLabel = nullptr;
    CMessageBoxSchedule m_schedule;
    WindowOnOverlay m_overlay{"CMessageBoxUI", platform::OverlayPlacement::Anchor::Centre, false};

    // The window's handle for other threads; null while there is no window.
    std::atomic<HWND> m_hPostTarget{nullptr};
    std::mutex m_pendingLock;
    std::string m_pendingText;
    uint32_t m_pendingDuration = 0;
    bool m_bPending = false;
};
