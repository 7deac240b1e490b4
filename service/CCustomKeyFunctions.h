#pragma once
// The custom key functions: the thirteen actions one key of the remote can be given, the
// keyboard emulation they use, the keyboard-hook plug-in (its callback records the user's
// shortcut and hides the blank screen on any key) and the calls into the blank-screen window.
// The actions run on the cursor-motion thread, the slide-show toggle also on the service-command
// worker, KeyboardProc on the hook's thread; shared state is atomic or under m_blankLock.

#include "CShortcutRecorder.h"
#include "CSlideShowToggle.h"
#include "IBlankScreen.h"
#include "IPresenterActions.h"
#include "KeyboardHookApi.h"
#include "SharedLibrary.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

class CMirrorScreen;
class PresenterEnvironment;
namespace platform {
class IDesktopLauncher;
class IKeyboard;
class IScreens;
class IWindowList;
} // namespace platform

enum KVOCustomFunction {
    KVO_CUSTOM_NONE = 0,
    KVO_CUSTOM_BLANK_SCREEN = 1,
    KVO_CUSTOM_VIDEO = 2,
    KVO_CUSTOM_AUDIO = 3,
    KVO_CUSTOM_SCROLL = 4,
    KVO_CUSTOM_OPEN_DISK = 5,
    KVO_CUSTOM_DIGITAL_COLOR = 6,
    KVO_CUSTOM_POSTIL_COLOR = 7,
    KVO_CUSTOM_WEB = 8,
    KVO_CUSTOM_KEYBORD = 9,
    KVO_CUSTOM_DISPLAYONTOP = 10,
    KVO_CUSTOM_PPT_FULLSCREEN = 11,
    KVO_CUSTOM_SOUND_OFF = 12,
    KVO_CUSTOM_VIDEO_PLAY_PAUSE = 13,
};

struct CustomKeyServices {
    PresenterEnvironment* environment = nullptr;  // settings, cursor, screen, settings window, tooltip
    platform::IKeyboard* keyboard = nullptr;
    platform::IDesktopLauncher* launcher = nullptr;
    const platform::IScreens* screens = nullptr;  // display 0 first
    platform::IWindowList* windows = nullptr;
    std::function<int()> deviceType;        // 0 presenter, 1 and 2 mouse-type
    std::function<void()> exitCurrentMode;  // the service's ExitCurrentMode
    CMirrorScreen* mirror = nullptr;        // null: the mirror key is only logged
};

class CCustomKeyFunctions final : public IPresenterActions {
public:
    // Every pointer of `services` must be set and outlive this object.
    explicit CCustomKeyFunctions(CustomKeyServices services);
    ~CCustomKeyFunctions() override;

    // Slot 0 presenter, 1 mouse-type: runs the slot's custom function.
    void OnPressPageDownKey(int slot);
    // Runs one custom function (KVO_CUSTOM_*) as the slot's key would.
    void RunAction(int action, int slot);
    // The same outside any key hold (the command line): runs even while the remote holds a key,
    // and leaves no per-hold latch set behind.
    void RunActionOnce(int action, int slot);

    // IPresenterActions.
    void OnPressPageDownKey() override { OnPressPageDownKey(0); }
    void OnPressMouseCustomKey(int) override { OnPressPageDownKey(1); }
    void SetIsPressFunAndUp(int pressed) override;
    bool DisplayOnTopRan() const override { return m_bDisplayOnTop.load() != 0; }
    void ClearHoldValues() override;
    // The queued toggle of a page-up hold: the key handling queues one per hold, and it may
    // run after that hold's release, so it goes by no hold flag.
    void ToggleSlideShow(int) override { m_slideShow.OnPPT(false); }
    void MirrorScreen(int devType) override;
    void HideBlankScreen() override;

    // Blank screen: the window is made by `create` (on the calling thread, which keeps it).
    void CreateBlankScreenThread(const std::function<std::unique_ptr<IBlankScreen>()>& create);
    void ShowBlankScreen();
    void DeleteBlankScreen();

    // Keyboard hook: loads `library` (false, logged, when it or SetHook is missing) and gives it
    // KeyboardProc. CloseCutomFunion releases it at exit.
    bool SetHook(const std::string& library);
    void CloseCutomFunion();
    // The hook's callback: (code, message, HookKeyRecord*). Always 1.
    static intptr_t KeyboardProc(int code, uintptr_t message, intptr_t record);
    // Tells the hook about a key event the program injects next (X keycode), so it is not
    // taken for the user's. Any thread.
    void NoteInjectedKey(unsigned keycode, bool down);

    // The advanced-features page: the slot its shortcut field records for, and where the text goes.
    void SetRecordingSlot(int slot) { m_recordingSlot = slot; }
    void SetShortcutTextSink(std::function<void(const std::string&)> sink);

    CSlideShowToggle& SlideShow() { return m_slideShow; }
    uint32_t LastActionTime() const { return m_lastActionTime.load(); }

private:
    void OnKeyDown(int vk);
    bool LatchOnce();  // false when the latch was already set
    bool Throttled(uint32_t gapMs) const;
    // Upper half of the reference screen of the pointer: the second monitor right of the first.
    bool PointerInUpperHalf(bool secondMonitorToo) const;
    void Tap(int vk, bool extended);
    void OnVideoControl(int slot);
    void OnAudioControl(int slot);
    void OnScroll();
    void OnOpenDisk();
    void OnSwitchColor(int slot, bool laser);
    void OnOpenCustomWebUrl(int slot);
    void OnCustomKeyboard(int slot);
    void DisplayOnTop();

    CustomKeyServices m_services;
    CConfigManager& m_config;
    std::atomic<uint32_t> m_lastActionTime{0};
    std::atomic<uint8_t> m_bDisplayOnTop{0};
    std::atomic<int32_t> m_mediaDirection{0};
    std::atomic<int> m_recordingSlot{0};
    CSlideShowToggle m_slideShow;
    CShortcutRecorder m_recorder;

    std::mutex m_blankLock;
    std::unique_ptr<IBlankScreen> m_pBlankScreen;

    std::mutex m_hookLock;
    platform::SharedLibrary m_hook;
    std::string m_hookPath;
    std::function<void(const std::string&)> m_shortcutSink;  // under m_hookLock
    std::atomic<NoteInjectedKeyFunc> m_noteInjected{nullptr};
};
