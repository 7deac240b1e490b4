#pragma once
// The slide-show toggle: when a presentation window covers a monitor, leave the show with
// Escape; otherwise bring the presentation program forward and start the show from the current
// slide with that program's own shortcut. Presentation windows are known by class and title:
// the office classes with ".ppt"/"powerpoint" titles, LibreOffice Impress, and the PDF
// presentation modes of Okular and Evince.
// Runs on whichever thread asks (service-command worker, cursor-motion thread, UI thread);
// g_hPPTWnd and the full-screen flag are process-wide, the last caller wins.

#include "IWindowList.h"

#include <atomic>
#include <cstdint>

class CConfigManager;
namespace platform {
class IKeyboard;
class IScreens;
} // namespace platform

// The presentation window found by the last test; 0 outside a toggle.
inline std::atomic<unsigned long> g_hPPTWnd{0};

class CSlideShowToggle {
public:
    // Which shortcut starts the show in the program that owns a window.
    enum class Program { Office, Impress, Okular, Evince };

    CSlideShowToggle(CConfigManager& config, platform::IWindowList& windows, platform::IKeyboard& keyboard,
                     const platform::IScreens& screens, std::atomic<uint32_t>& lastActionTime);

    // Tests one window by its title only; true when it names a presentation.
    bool IsPPTWindow(const platform::DesktopWindow& window);
    // Tests one window by class and title; always 1 (go on with the next window).
    int EnumPPTWindowsProc(const platform::DesktopWindow& window, intptr_t param);
    // Whether a presentation window is full screen on any monitor (or says so itself).
    bool FullScreenScan();
    // With holdLatch the started flag makes a second call within one key hold do nothing.
    // Without it the caller guarantees one call per hold itself (the page-up hold queues one),
    // and the flag is neither read nor left set for a later hold to trip over.
    void OnPPT(bool holdLatch = true);

private:
    // The rectangle test of both window tests; sets the full-screen flag on a match.
    void TestFullScreen(const char* who, const platform::DesktopWindow& window);
    void SendStartSequence();
    void SendLeaveSequence();
    void Tap(int vk);

    CConfigManager& m_config;
    platform::IWindowList& m_windows;
    platform::IKeyboard& m_keyboard;
    const platform::IScreens& m_screens;
    std::atomic<uint32_t>& m_lastActionTime;
    std::atomic<bool> m_bFullScreen{false};
    // Where the window list cannot see every window (native ones on Wayland): whether the last
    // toggle started a show in a window it could not see. The next such toggle leaves it.
    std::atomic<bool> m_startedUnseen{false};
    std::atomic<Program> m_program{Program::Office};
};
