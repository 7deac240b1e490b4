#include "CSlideShowToggle.h"

#include "Clock.h"
#include "ConfigManager.h"
#include "IKeyboard.h"
#include "IScreens.h"
#include "KVOLog.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <iterator>
#include <string>

namespace {

constexpr int VK_SHIFT = 16;
constexpr int VK_CONTROL = 17;
constexpr int VK_ESCAPE = 27;
constexpr int VK_P = 'P';
constexpr int VK_F5 = 116;
constexpr uint32_t kSequenceGapMs = 10;

using Program = CSlideShowToggle::Program;

struct PresentationProgram {
    Program program;
    std::initializer_list<const char*> classes;  // exact, case-sensitive WM_CLASS (class or instance)
    std::initializer_list<const char*> markers;  // substrings of the lower-cased title
};

// LibreOffice names its document window "<file> - LibreOffice Impress" and its slide-show
// window "Presenting: <document>" (managed, or override-redirect without a class of its own); Okular and Evince show PDF presentations.
// On Wayland the class is the window's app id: LibreOffice keeps its X11 class names there,
// Okular and newer Evince windows use their reverse-domain names.
const PresentationProgram kPrograms[] = {
    {Program::Office, {"screenClass", "QWidget", "Qt5QWindowIcon", "PPTFrameClass"}, {".ppt", "powerpoint"}},
    {Program::Impress, {"libreoffice-impress", "Soffice", "soffice", "libreoffice"}, {".odp", ".ppt", "impress", "presenting:"}},
    {Program::Okular, {"okular", "org.kde.okular"}, {".pdf", "okular"}},
    {Program::Evince, {"Evince", "evince", "org.gnome.Evince"}, {".pdf"}},
};

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

bool HasMarker(const PresentationProgram& program, const std::string& lowerTitle)
{
    return std::any_of(program.markers.begin(), program.markers.end(),
                       [&](const char* marker) { return lowerTitle.find(marker) != std::string::npos; });
}

const PresentationProgram* ByClass(const platform::DesktopWindow& window)
{
    for (const PresentationProgram& program : kPrograms) {
        for (const char* name : program.classes) {
            if (window.className == name || window.instanceName == name)
                return &program;
        }
    }
    return nullptr;
}

bool AnyMarker(const std::string& lowerTitle)
{
    return std::any_of(std::begin(kPrograms), std::end(kPrograms),
                       [&](const PresentationProgram& program) { return HasMarker(program, lowerTitle); });
}

bool SameRect(const platform::ScreenRect& a, const platform::ScreenRect& b)
{
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

} // namespace

CSlideShowToggle::CSlideShowToggle(CConfigManager& config, platform::IWindowList& windows,
                                   platform::IKeyboard& keyboard, const platform::IScreens& screens,
                                   std::atomic<uint32_t>& lastActionTime)
    : m_config(config), m_windows(windows), m_keyboard(keyboard), m_screens(screens), m_lastActionTime(lastActionTime)
{
}

void CSlideShowToggle::TestFullScreen(const char* who, const platform::DesktopWindow& window)
{
    const int top = window.rect.y;
    const int bottom = window.rect.y + window.rect.height;
    bool covers = window.fullScreenState;
    for (const platform::ScreenRect& monitor : m_screens.Monitors())
        covers = covers || SameRect(window.rect, monitor);
    if (covers) {
        WriteLog(KVO_LOG_DEBUG, "%s Is Full Screen classname:%s windowtext:%s top:%d, botton:%d", who,
                 window.className.c_str(), window.title.c_str(), top, bottom);
        m_bFullScreen = true;
    } else {
        WriteLog(KVO_LOG_DEBUG, "%s Not Full Screen classname:%s windowtext:%s top:%d, botton:%d", who,
                 window.className.c_str(), window.title.c_str(), top, bottom);
    }
}

bool CSlideShowToggle::IsPPTWindow(const platform::DesktopWindow& window)
{
    WriteLog(KVO_LOG_DEBUG, "IsPPTWindow strClassBuff:%s strNameBuff:%s", window.className.c_str(), window.title.c_str());
    if (!AnyMarker(Lower(window.title)))
        return false;
    // A title only says that some document is open ("talk.pdf" in a browser tab is no PDF
    // viewer): the program, and with it the shortcut, is known from the window class alone.
    const PresentationProgram* byClass = ByClass(window);
    m_program = byClass != nullptr ? byClass->program : Program::Office;
    g_hPPTWnd = window.handle;
    TestFullScreen("IsPPTWindow", window);
    return true;
}

int CSlideShowToggle::EnumPPTWindowsProc(const platform::DesktopWindow& window, intptr_t)
{
    const PresentationProgram* program = ByClass(window);
    if (program == nullptr || !HasMarker(*program, Lower(window.title)))
        return 1;
    WriteLog(KVO_LOG_INFO, "EnumPPTWindowsProc Is Find PPT");
    g_hPPTWnd = window.handle;
    TestFullScreen("EnumPPTWindowsProc", window);
    return 1;
}

bool CSlideShowToggle::FullScreenScan()
{
    m_bFullScreen = false;
    for (const platform::DesktopWindow& window : m_windows.Windows())
        EnumPPTWindowsProc(window, 0);
    return m_bFullScreen.load();
}

void CSlideShowToggle::Tap(int vk)
{
    m_keyboard.SendKey(vk, false, false);
    m_keyboard.SendKey(vk, true, false);
}

void CSlideShowToggle::SendLeaveSequence()
{
    Tap(VK_ESCAPE);
    platform::Sleep(kSequenceGapMs);
    Tap(VK_ESCAPE);
}

void CSlideShowToggle::SendStartSequence()
{
    for (int round = 0; round < 2; ++round) {
        if (round == 1)
            platform::Sleep(kSequenceGapMs);
        switch (m_program.load()) {
        case Program::Office:
        case Program::Impress:
            // Shift+F5: the show from the current slide.
            m_keyboard.SendKey(VK_SHIFT, false, false);
            m_keyboard.SendKey(VK_F5, false, false);
            m_keyboard.SendKey(VK_SHIFT, true, false);
            m_keyboard.SendKey(VK_F5, true, false);
            break;
        case Program::Okular:
            // Ctrl+Shift+P: presentation mode from the current page.
            m_keyboard.SendKey(VK_CONTROL, false, false);
            m_keyboard.SendKey(VK_SHIFT, false, false);
            Tap(VK_P);
            m_keyboard.SendKey(VK_SHIFT, true, false);
            m_keyboard.SendKey(VK_CONTROL, true, false);
            return;  // a second press would leave the mode again
        case Program::Evince:
            Tap(VK_F5);
            return;  // F5 toggles the presentation in Evince
        }
    }
}

void CSlideShowToggle::OnPPT(bool holdLatch)
{
    if (holdLatch && m_config.GetRuntime(CConfigManager::Runtime::SlideShowStarted) != 0)
        return;
    const auto latch = [&] {
        if (holdLatch)
            m_config.SetRuntime(CConfigManager::Runtime::SlideShowStarted, 1);
    };
    WriteLog(KVO_LOG_INFO, "OnPPT In PPT Begin");
    m_program = Program::Office;
    g_hPPTWnd = 0;
    if (const auto foreground = m_windows.Foreground())
        IsPPTWindow(*foreground);
    const bool foregroundFound = g_hPPTWnd.load() != 0;
    if (foregroundFound)
        m_windows.Activate(g_hPPTWnd.load());
    else
        WriteLog(KVO_LOG_INFO, "OnPPT In PPT g_hPPTWnd Null End");

    // The keys go to the focused window, so only the foreground window picks the shortcut
    // (above); the scan below looks at background windows and leaves that choice alone.
    g_hPPTWnd = 0;
    const size_t monitors = m_screens.Monitors().size();
    bool fullScreen = FullScreenScan();
    // No presentation window in sight at all, on a desktop that hides some from us: the show
    // this toggle started last time is taken to be running, so one hold starts and the next
    // leaves it as where the window can be seen.
    const bool unseen = !foregroundFound && g_hPPTWnd.load() == 0 && !m_windows.SeesEveryWindow();
    if (unseen && !fullScreen && m_startedUnseen.load()) {
        WriteLog(KVO_LOG_INFO, "OnPPT the presentation window cannot be seen: the show started last time is left");
        fullScreen = true;
    }
    m_startedUnseen = unseen && !fullScreen;
    if (fullScreen) {
        WriteLog(KVO_LOG_INFO, "OnPPT Out FullScreen Begin");
        latch();
        SendLeaveSequence();
        WriteLog(KVO_LOG_INFO, "OnPPT Out FullScreen End");
    } else if (monitors < 2) {
        WriteLog(KVO_LOG_INFO, "OnPPT In FullScreen Not Extended Screen");
        latch();
        SendStartSequence();
    } else {
        WriteLog(KVO_LOG_INFO, "OnPPT In FullScreen Extended Screen");
        SendStartSequence();
        latch();
    }
    if (!fullScreen)
        WriteLog(KVO_LOG_INFO, "OnPPT In PPT End");
    g_hPPTWnd = 0;
    m_lastActionTime = platform::GetTickCount();
}
