#include "CCustomKeyFunctions.h"

#include "CMirrorScreen.h"
#include "Clock.h"
#include "ConfigManager.h"
#include "ICursor.h"
#include "IDesktopLauncher.h"
#include "IFunctionToolTip.h"
#include "IKeyboard.h"
#include "IPresentationScreen.h"
#include "IScreens.h"
#include "ISettingsWindow.h"
#include "KVOLog.h"
#include "KeyboardHookApi.h"
#include "PresenterEnvironment.h"

namespace {

constexpr uint32_t kVideoGapMs = 500;
constexpr uint32_t kAudioGapMs = 100;
constexpr uint32_t kScrollGapMs = 100;
constexpr uint32_t kDisplayOnTopGapMs = 1000;

constexpr int VK_UP = 38;
constexpr int VK_DOWN = 40;
constexpr int VK_VOLUME_MUTE = 173;
constexpr int VK_VOLUME_DOWN = 174;
constexpr int VK_VOLUME_UP = 175;
constexpr int VK_MEDIA_NEXT_TRACK = 176;
constexpr int VK_MEDIA_PREV_TRACK = 177;
constexpr int VK_MEDIA_PLAY_PAUSE = 179;

const char* const kActionNames[] = {
    "",
    "KVO_CUSTOM_BLANK_SCREEN",
    "KVO_CUSTOM_VIDEO",
    "KVO_CUSTOM_AUDIO",
    "KVO_CUSTOM_SCROLL",
    "KVO_CUSTOM_OPEN_DISK",
    "KVO_CUSTOM_DIGITAL_COLOR",
    "KVO_CUSTOM_POSTIL_COLOR",
    "KVO_CUSTOM_WEB",
    "KVO_CUSTOM_KEYBORD",
    "KVO_CUSTOM_DISPLAYONTOP",
    "KVO_CUSTOM_PPT_FULLSCREEN",
    "KVO_CUSTOM_SOUND_OFF",
    "KVO_CUSTOM_VIDEO_PLAY_PAUSE",
};

std::atomic<CCustomKeyFunctions*> g_pHookTarget{nullptr};

// Key events carry the virtual key as one byte: a stored -1 ("none") is sent as 255.
int KeyByte(int vk) { return vk & 0xFF; }

} // namespace

CCustomKeyFunctions::CCustomKeyFunctions(CustomKeyServices services)
    : m_services(std::move(services))
    , m_config(m_services.environment->Config())
    , m_slideShow(m_config, *m_services.windows, *m_services.keyboard, *m_services.screens, m_lastActionTime)
    , m_recorder(m_config, *m_services.keyboard)
{
}

CCustomKeyFunctions::~CCustomKeyFunctions()
{
    CCustomKeyFunctions* self = this;
    g_pHookTarget.compare_exchange_strong(self, nullptr);
}

void CCustomKeyFunctions::OnPressPageDownKey(int slot) { RunAction(m_config.GetSlotInt(ConfigSlotInt::Key, slot), slot); }

void CCustomKeyFunctions::RunActionOnce(int action, int slot)
{
    // A hold of its own: nothing of a hold on the remote may stop it, and it leaves none behind.
    m_config.SetRuntime(CConfigManager::Runtime::CustomActionLatch, 0);
    ClearHoldValues();
    RunAction(action, slot);
    m_config.SetRuntime(CConfigManager::Runtime::CustomActionLatch, 0);
    ClearHoldValues();
}

void CCustomKeyFunctions::RunAction(int action, int slot)
{
    if (action == KVO_CUSTOM_NONE) {
        WriteLog(KVO_LOG_INFO, "OnPressPageDownKey() Not Operation");
        return;
    }
    if (action < KVO_CUSTOM_NONE || action > KVO_CUSTOM_VIDEO_PLAY_PAUSE)
        return;
    if (action == KVO_CUSTOM_BLANK_SCREEN) {
        ShowBlankScreen();
        WriteLog(KVO_LOG_INFO, "OnPressPageDownKey() %s", kActionNames[action]);
        return;
    }
    // Scrolling belongs to the presenter; a mouse-type device never enters it.
    if (action == KVO_CUSTOM_SCROLL && slot != 0)
        return;
    WriteLog(KVO_LOG_INFO, "OnPressPageDownKey() %s", kActionNames[action]);
    switch (action) {
    case KVO_CUSTOM_VIDEO:
        OnVideoControl(slot);
        break;
    case KVO_CUSTOM_AUDIO:
        OnAudioControl(slot);
        break;
    case KVO_CUSTOM_SCROLL:
        OnScroll();
        break;
    case KVO_CUSTOM_OPEN_DISK:
        OnOpenDisk();
        break;
    case KVO_CUSTOM_DIGITAL_COLOR:
        OnSwitchColor(slot, true);
        break;
    case KVO_CUSTOM_POSTIL_COLOR:
        OnSwitchColor(slot, false);
        break;
    case KVO_CUSTOM_WEB:
        OnOpenCustomWebUrl(slot);
        break;
    case KVO_CUSTOM_KEYBORD:
        OnCustomKeyboard(slot);
        break;
    case KVO_CUSTOM_DISPLAYONTOP:
        DisplayOnTop();
        break;
    case KVO_CUSTOM_PPT_FULLSCREEN:
        m_slideShow.OnPPT();
        break;
    case KVO_CUSTOM_SOUND_OFF:
        Tap(VK_VOLUME_MUTE, true);
        break;
    case KVO_CUSTOM_VIDEO_PLAY_PAUSE:
        Tap(VK_MEDIA_PLAY_PAUSE, true);
        break;
    default:
        break;
    }
}

bool CCustomKeyFunctions::LatchOnce()
{
    if (m_config.GetRuntime(CConfigManager::Runtime::CustomActionLatch) != 0)
        return false;
    m_config.SetRuntime(CConfigManager::Runtime::CustomActionLatch, 1);
    return true;
}

bool CCustomKeyFunctions::Throttled(uint32_t gapMs) const
{
    return platform::TicksSince(m_lastActionTime.load(), platform::GetTickCount()) < gapMs;
}

void CCustomKeyFunctions::Tap(int vk, bool extended)
{
    m_services.keyboard->SendKey(KeyByte(vk), false, extended);
    m_services.keyboard->SendKey(KeyByte(vk), true, extended);
}

bool CCustomKeyFunctions::PointerInUpperHalf(bool secondMonitorToo) const
{
    const platform::ICursor* cursor = m_services.environment->Cursor();
    const platform::CursorPoint pointer = cursor != nullptr ? cursor->GetPos() : platform::CursorPoint{};
    const std::vector<platform::ScreenRect> monitors = m_services.screens->Monitors();
    if (monitors.empty())
        return true;
    platform::ScreenRect screen = monitors[0];
    if (secondMonitorToo && monitors.size() >= 2 && pointer.x >= monitors[0].x + monitors[0].width)
        screen = monitors[1];
    // The half of that screen, from its own top: a monitor placed below another has its upper
    // half below the other's bottom.
    return pointer.y < screen.y + screen.height / 2;
}

void CCustomKeyFunctions::OnVideoControl(int slot)
{
    if (Throttled(kVideoGapMs))
        return;
    if (slot == 0) {
        LatchOnce();
        const platform::ICursor* cursor = m_services.environment->Cursor();
        const int y = cursor != nullptr ? cursor->GetPos().y : 0;
        if (PointerInUpperHalf(true)) {
            WriteLog(KVO_LOG_DEBUG, "OnVideoControl 视频快进 %d", y);
            Tap(VK_MEDIA_NEXT_TRACK, true);
        } else {
            WriteLog(KVO_LOG_DEBUG, "OnVideoControl 视频快退 %d", y);
            Tap(VK_MEDIA_PREV_TRACK, true);
        }
    } else if (m_mediaDirection.load() == 1) {
        Tap(VK_MEDIA_NEXT_TRACK, true);
    } else if (m_mediaDirection.load() == 2) {
        Tap(VK_MEDIA_PREV_TRACK, true);
    }
    m_lastActionTime = platform::GetTickCount();
}

void CCustomKeyFunctions::OnAudioControl(int slot)
{
    if (Throttled(kAudioGapMs))
        return;
    if (slot == 0) {
        LatchOnce();
        Tap(PointerInUpperHalf(true) ? VK_VOLUME_UP : VK_VOLUME_DOWN, true);
    } else if (m_mediaDirection.load() == 1) {
        Tap(VK_VOLUME_UP, true);
    } else if (m_mediaDirection.load() == 2) {
        Tap(VK_VOLUME_DOWN, true);
    }
    m_lastActionTime = platform::GetTickCount();
}

void CCustomKeyFunctions::OnScroll()
{
    if (Throttled(kScrollGapMs))
        return;
    LatchOnce();
    Tap(PointerInUpperHalf(false) ? VK_UP : VK_DOWN, false);
    m_lastActionTime = platform::GetTickCount();
}

void CCustomKeyFunctions::OnOpenDisk()
{
    if (!LatchOnce())
        return;
    // Win + E opens the file manager on Windows; here the desktop's own handler for the home folder.
    m_services.launcher->OpenHomeFolder();
    WriteLog(KVO_LOG_INFO, "OnOpenDisk");
}

void CCustomKeyFunctions::OnSwitchColor(int, bool laser)
{
    if (!LatchOnce())
        return;
    const ConfigInt key = laser ? ConfigInt::DigitalLaserColor : ConfigInt::LineColor;
    const int last = laser ? 3 : 4;
    int colour = m_config.GetInt(key) + 1;
    if (colour > last)
        colour = 1;
    WriteLog(KVO_LOG_INFO, laser ? "OnSwitchDigitalColor_Presenter Color%d" : "OnSwitchPostilColor_Presenter Color%d",
             colour);
    if (IFunctionToolTip* toolTip = m_services.environment->ToolTip())
        toolTip->SetToolTipColorMode(colour);
    m_config.SetInt(key, colour, false);
}

void CCustomKeyFunctions::OnOpenCustomWebUrl(int slot)
{
    if (!LatchOnce())
        return;
    std::string url = m_config.GetSlotText(ConfigSlotText::WebUrl, slot);
    if (url.find("http") == std::string::npos)
        url = "http://" + url;
    WriteLog(KVO_LOG_INFO, "OnOpenCustomWebUrl URL:%s", url.c_str());
    if (!m_services.launcher->OpenUrl(url))
        WriteLog(KVO_LOG_ERROR, "OnOpenCustomWebUrl no opener (xdg-open) for URL:%s", url.c_str());
}

void CCustomKeyFunctions::OnCustomKeyboard(int slot)
{
    if (!LatchOnce())
        return;
    const int modifier = m_config.GetSlotInt(ConfigSlotInt::KeybordValue1, slot);
    const int key = m_config.GetSlotInt(ConfigSlotInt::KeybordValue2, slot);
    platform::IKeyboard& keyboard = *m_services.keyboard;
    if (modifier != -1)
        keyboard.SendKey(KeyByte(modifier), false, false);
    Tap(key, false);
    if (modifier != -1)
        keyboard.SendKey(KeyByte(modifier), true, false);
}

void CCustomKeyFunctions::DisplayOnTop()
{
    if (Throttled(kDisplayOnTopGapMs))
        return;
    WriteLog(KVO_LOG_DEBUG, "DisplayOnTop()");
    if (m_services.exitCurrentMode)
        m_services.exitCurrentMode();
    platform::ISettingsWindow* window = m_services.environment->SettingsWindow();
    if (window != nullptr && !window->IsSettingsWindowVisible()) {
        if (m_services.exitCurrentMode)
            m_services.exitCurrentMode();
        window->ShowSettingsWindow();
    }
    m_bDisplayOnTop = 1;
    m_lastActionTime = platform::GetTickCount();
}

void CCustomKeyFunctions::ClearHoldValues()
{
    m_bDisplayOnTop = 0;
    m_mediaDirection = 0;
}

void CCustomKeyFunctions::MirrorScreen(int devType)
{
    if (m_services.mirror != nullptr)
        m_services.mirror->MirrorScreen();
    else
        LoggedPresenterActions().MirrorScreen(devType);
}

void CCustomKeyFunctions::ShowBlankScreen()
{
    std::lock_guard lock(m_blankLock);
    if (!m_pBlankScreen || m_config.GetRuntime(CConfigManager::Runtime::CustomActionLatch) != 0)
        return;
    if (m_pBlankScreen->IsShowing()) {
        WriteLog(KVO_LOG_INFO, "ShowBlankScreen() Hide BlankScreen");
        m_pBlankScreen->StartHide();
    } else {
        WriteLog(KVO_LOG_INFO, "ShowBlankScreen() Show BlankScreen");
        const platform::IPresentationScreen* screen = m_services.environment->PresentationScreen();
        m_pBlankScreen->ShowBlankScreen(screen != nullptr ? screen->Rect() : platform::ScreenRect{});
    }
    m_config.SetRuntime(CConfigManager::Runtime::CustomActionLatch, 1);
}

void CCustomKeyFunctions::HideBlankScreen()
{
    std::lock_guard lock(m_blankLock);
    if (!m_pBlankScreen || !m_pBlankScreen->IsShowing())
        return;
    WriteLog(KVO_LOG_INFO, "HideBlankScreen() Hide BlankScreen");
    m_config.SetRuntime(CConfigManager::Runtime::CustomActionLatch, 1);
    // The window gives the cursor back as it rolls up.
    m_pBlankScreen->StartHide();
}

void CCustomKeyFunctions::CreateBlankScreenThread(const std::function<std::unique_ptr<IBlankScreen>()>& create)
{
    {
        std::lock_guard lock(m_blankLock);
        if (!m_pBlankScreen) {
            m_lastActionTime = platform::GetTickCount();
            WriteLog(KVO_LOG_INFO, "CreateBlankScreenThread() Begin");
            m_pBlankScreen = create();
        }
    }
    WriteLog(KVO_LOG_INFO, "CreateBlankScreenThread() End");
}

void CCustomKeyFunctions::DeleteBlankScreen()
{
    WriteLog(KVO_LOG_INFO, "DeleteBlankScreen");
    std::unique_ptr<IBlankScreen> window;
    {
        std::lock_guard lock(m_blankLock);
        window = std::move(m_pBlankScreen);
    }
    if (window)
        window->Destroy();
}

bool CCustomKeyFunctions::SetHook(const std::string& library)
{
    std::lock_guard lock(m_hookLock);
    m_hookPath = library;
    // The callback's target is known before any hook can call it.
    g_pHookTarget = this;
    if (!m_hook.IsOpen() && !m_hook.Open(library)) {
        WriteLog(KVO_LOG_WARN, "SetHook no keyboard hook: %s", m_hook.Error().c_str());
        return false;
    }
    auto setHook = reinterpret_cast<SetHookFunc>(m_hook.Symbol("SetHook"));
    if (setHook == nullptr)
        return false;
    m_noteInjected = reinterpret_cast<NoteInjectedKeyFunc>(m_hook.Symbol("NoteInjectedKey"));
    setHook(&CCustomKeyFunctions::KeyboardProc);
    WriteLog(KVO_LOG_INFO, "SetHook DLL");
    return true;
}

void CCustomKeyFunctions::SetIsPressFunAndUp(int pressed)
{
    if (m_config.GetRuntime(CConfigManager::Runtime::HookSuppression) != 0)
        return;
    if (m_services.deviceType && m_services.deviceType() != 0)
        return;
    std::lock_guard lock(m_hookLock);
    if (!m_hook.IsOpen() && (m_hookPath.empty() || !m_hook.Open(m_hookPath)))
        return;
    if (auto set = reinterpret_cast<SetIsPressFunAndUpFunc>(m_hook.Symbol("SetIsPressFunAndUp")))
        set(static_cast<uint8_t>(pressed));
}

void CCustomKeyFunctions::CloseCutomFunion()
{
    ReleaseHookFunc release = nullptr;
    {
        std::lock_guard lock(m_hookLock);
        if (!m_hook.IsOpen())
            return;
        release = reinterpret_cast<ReleaseHookFunc>(m_hook.Symbol("ReleaseHook"));
    }
    m_noteInjected = nullptr;
    // Outside the lock: the hook's thread may be inside KeyboardProc, which takes it, and the
    // release waits for that thread.
    if (release != nullptr) {
        release();
        WriteLog(KVO_LOG_INFO, "CloseCutomFunion() ReleaseHook DLL");
    }
    CCustomKeyFunctions* self = this;
    g_pHookTarget.compare_exchange_strong(self, nullptr);
    std::lock_guard lock(m_hookLock);
    m_hook.Close();
}

void CCustomKeyFunctions::NoteInjectedKey(unsigned keycode, bool down)
{
    if (NoteInjectedKeyFunc note = m_noteInjected.load())
        note(keycode, down ? 1 : 0);
}

void CCustomKeyFunctions::SetShortcutTextSink(std::function<void(const std::string&)> sink)
{
    std::lock_guard lock(m_hookLock);
    m_shortcutSink = std::move(sink);
}

intptr_t CCustomKeyFunctions::KeyboardProc(int code, uintptr_t message, intptr_t record)
{
    if (code < 0)
        return 1;
    CCustomKeyFunctions* self = g_pHookTarget.load();
    if (self != nullptr && record != 0 && (message == kHookKeyDown || message == kHookSysKeyDown))
        self->OnKeyDown(static_cast<int>(reinterpret_cast<const HookKeyRecord*>(record)->vkCode));
    return 1;
}

void CCustomKeyFunctions::OnKeyDown(int vk)
{
    WriteLog(KVO_LOG_DEBUG, "KeyboardProc WM_KEYDOWN :%d", vk);
    HideBlankScreen();
    const int slot = m_recordingSlot.load();
    platform::ISettingsWindow* window = m_services.environment->SettingsWindow();
    if (window == nullptr || !window->IsSettingsWindowVisible() ||
        m_config.GetRuntime(CConfigManager::Runtime::RecordingShortcut) == 0 ||
        m_config.GetSlotInt(ConfigSlotInt::Key, slot) != KVO_CUSTOM_KEYBORD)
        return;
    const std::string text = m_recorder.Record(slot, vk);
    std::function<void(const std::string&)> sink;
    {
        std::lock_guard lock(m_hookLock);
        sink = m_shortcutSink;
    }
    if (sink)
        sink(text);
}
