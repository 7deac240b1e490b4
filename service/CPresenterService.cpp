#include "CPresenterService.h"

#include "Clock.h"
#include "ConfigKeys.h"
#include "ConfigManager.h"
#include "DeviceMgr.h"
#include "FunctionMgr.h"
#include "ICursor.h"
#include "IForegroundWindow.h"
#include "IPresenterActions.h"
#include "ISettingsWindow.h"
#include "KVOLog.h"
#include "PresenterKeyBytes.h"
#include "ProtocolCmdDef.h"

namespace {

std::mutex g_serviceLock;
std::unique_ptr<CPresenterService> g_service;

constexpr uint32_t kHoldActionMs = 1000;    // page up / page down held this long
constexpr uint32_t kSizeStepGapMs = 50;     // at most one size step per this
constexpr uint32_t kRepeatPeriodMs = 100;   // repeat worker's step period
constexpr uint32_t kMirrorGapMs = 1000;
constexpr uint32_t kOpenActionGapMs = 2000; // focus hand-back at most this often

// Presenter custom actions that steer with the pointer: video, audio, scroll.
bool CustomActionUsesPointer(int action) { return action >= 2 && action <= 4; }
constexpr int kCustomBlankScreen = 1;

FunctionCommand MakeCommand(int key, int subKey, uint8_t keyFlag, int mouseMode, uint8_t hideSettings,
                            uint8_t showToolTip, uint8_t hideBlank, int effectAction, int restoreFirst)
{
    FunctionCommand command;
    command.key = key;
    command.subKey = subKey;
    command.keyFlag = keyFlag;
    command.nSwtichMouseMode = mouseMode;
    command.hideSettingsWindow = hideSettings;
    command.showToolTip = showToolTip;
    command.hideBlankScreen = hideBlank;
    command.effectAction = effectAction;
    command.restoreFirst = restoreFirst;
    return command;
}

FunctionCommand DoKeyCommand(int key, uint8_t keyFlag)
{
    const uint8_t presenterForm = keyFlag ? 0 : 1;
    return MakeCommand(key, 0, keyFlag, presenterForm, presenterForm, 0, 1, 0, 0);
}

FunctionCommand ReleaseCommand(int key, uint8_t keyFlag) { return MakeCommand(key, 0, keyFlag, 0, 0, 0, 0, 0, 0); }

// Sets the latch and tells whether it was clear, so a held key acts once.
bool Latch(std::atomic<uint8_t>& latch) { return latch.exchange(1) == 0; }

uint32_t Since(const std::atomic<uint32_t>& stamp) { return platform::TicksSince(stamp.load(), platform::GetTickCount()); }

} // namespace

CPresenterService::CPresenterService() : m_lastOpenTime(platform::GetTickCount()) {}

CPresenterService::~CPresenterService()
{
    StopRepeatWorker();
    DetachRunner();
}

CPresenterService& CPresenterService::GetInstance()
{
    std::lock_guard lock(g_serviceLock);
    if (!g_service)
        g_service.reset(new CPresenterService());
    return *g_service;
}

void CPresenterService::DestroyInstance()
{
    std::unique_ptr<CPresenterService> service;
    {
        std::lock_guard lock(g_serviceLock);
        service = std::move(g_service);
    }
}

void CPresenterService::SetManagers(FunctionMgr* functionMgr, DeviceMgr* deviceMgr)
{
    if (functionMgr != m_pFunctionMgr.load() || functionMgr == nullptr) {
        DetachRunner();
        if (functionMgr != nullptr) {
            m_runner = std::make_unique<CFunctionCommandRunner>(*functionMgr, m_environment);
            functionMgr->SetCommandRunner(m_runner.get());
        }
    }
    m_pFunctionMgr = functionMgr;
    m_pDeviceMgr = deviceMgr;
}

void CPresenterService::DetachRunner()
{
    if (FunctionMgr* functionMgr = m_pFunctionMgr.load())
        functionMgr->SetCommandRunner(nullptr);
    m_runner.reset();
}

void CPresenterService::ExitCurrentMode() { WriteLog(KVO_LOG_INFO, "CPresenterService::ExitCurrentMode()"); }

int CPresenterService::DevType() const
{
    DeviceMgr* deviceMgr = m_pDeviceMgr.load();
    return deviceMgr != nullptr ? deviceMgr->GetDevType() : 0;
}

void CPresenterService::Push(int cmdId, const FunctionCommand& command)
{
    if (FunctionMgr* functionMgr = m_pFunctionMgr.load())
        functionMgr->PushPlayOrStopCmd(cmdId, DevType(), std::make_unique<FunctionCommand>(command));
}

void CPresenterService::PushServiceCmd(int cmdId)
{
    if (FunctionMgr* functionMgr = m_pFunctionMgr.load())
        functionMgr->PushCmd(DevType(), cmdId, nullptr);
}

void CPresenterService::DealWithPresenterKeyValue(uint8_t key, KeyDelta delta)
{
    switch (key) {
    case KEY_FUN:
        DealWithFunKey(key, 0);
        m_bHookFunUpSent = 0;
        break;
    case KEY_DO:
        DealWithDoKey(key, 0);
        break;
    case KEY_PAGE_UP:
        DealWithPageUp(key);
        break;
    case KEY_PAGE_DOWN:
        DealWithPageDown(key);
        break;
    case KEY_FUN_PAGE_UP:
    case KEY_FUN_PAGE_DOWN:
    case KEY_FUN_DO:
        WriteLog(KVO_LOG_DEBUG, "CPresenterService::DealWithPresenterKeyValue 按下Fun+Up 或 Fun+Down 或 Fun+Do 组合键");
        m_bFunKeyDown = 1;
        if (key == KEY_FUN_PAGE_UP && Latch(m_bHookFunUpSent))
            m_environment.Actions().SetIsPressFunAndUp(1);
        break;
    default:
        // Combinations with the do key (5, 6, ...) are the size steps below, not a release.
        if ((key & KEY_DO) == 0)
            DealDoKeyOpen(key, 0);
        break;
    }

    if (key == KEY_DO_PAGE_UP || key == KEY_DO_PAGE_DOWN)
        StartRepeatWorker(key);
    else if (m_repeatRunning.load())
        StopRepeatWorker();

    if (delta.dx == 0 && delta.dy == 0)
        return;
    if (key == KEY_PAGE_DOWN) {
        // During a video, audio or scroll action the remote steers the real cursor.
        if (m_environment.Config().GetRuntime(CConfigManager::Runtime::CustomActionLatch) != 0) {
            if (platform::ICursor* cursor = m_environment.Cursor()) {
                platform::CursorPoint point = cursor->GetPos();
                point.x += delta.dx;
                point.y += delta.dy;
                cursor->SetPos(point);
            }
        }
        return;
    }
    MoveAfterKey(key, delta);
}

void CPresenterService::DealWithMouseKeyValue(uint8_t key, uint8_t button, KeyDelta delta)
{
    int motionKey = key;
    if (button == BUTTON_RIGHT) {
        DealWithRightKey();
    } else if (button == BUTTON_DO) {
        DealWithDoButton();
        motionKey = BUTTON_DO;
    } else if (button == BUTTON_CUSTOM) {
        DealWithCustomKey(button);
    } else if (button == BUTTON_MIRROR) {
        DealWithMirrorKey();
    } else if (key == KEY_PAGE_DOWN && (button == BUTTON_IGNORED_LOW || button == BUTTON_IGNORED_HIGH)) {
        return;
    } else if (key == KEY_FUN) {
        DealWithFunKey(key, 1);
    } else if (button == BUTTON_KEY6) {
        DealWithKey6();
    } else if (key == KEY_DO) {
        DealWithDoKey(key, 1);
    } else if (key == KEY_PAGE_UP) {
        DealWithPageUp(key);
    } else if (key == KEY_PAGE_DOWN) {
        DealWithCustomKey(key);
    } else if (key == 0 && button == BUTTON_SIZE_UP) {
        DealWithSizeUp(button);
    } else if (key == 0 && button == BUTTON_SIZE_DOWN) {
        DealWithSizeDown(button);
    } else if (key == 0 && button == 0) {
        DealDoKeyOpen(0, 1);
    }
    if (delta.dx != 0 || delta.dy != 0)
        MoveAfterKey(motionKey, delta);
}

void CPresenterService::MoveAfterKey(int key, KeyDelta delta)
{
    FunctionMgr* functionMgr = m_pFunctionMgr.load();
    CFunctionCommandRunner* runner = m_runner.get();
    if (functionMgr == nullptr || runner == nullptr || functionMgr->GetFunctionState() != FUNCTION_STATE_RUNNING)
        return;
    runner->Move(key, {delta.dx, delta.dy});
}

void CPresenterService::DealWithFunKey(int key, uint8_t keyFlag)
{
    if (!Latch(m_bFunKeyDown))
        return;
    WriteLog(KVO_LOG_INFO, "DealWithFunKey Press Fun Key");
    Push(CMD_KEY_MSM, MakeCommand(key, 0, keyFlag, 0, 1, 1, 1, 0, 1));
}

void CPresenterService::DealWithDoKey(int key, uint8_t keyFlag)
{
    if (!Latch(m_bDoKeyDown))
        return;
    WriteLog(KVO_LOG_INFO, "DealWithDoKey Press Do Key");
    Push(CMD_PLAY_FUNCTION, DoKeyCommand(key, keyFlag));
}

void CPresenterService::DealWithDoButton()
{
    if (!Latch(m_bDoKeyDown))
        return;
    WriteLog(KVO_LOG_INFO, "DealWithDoKey Press Do Key");
    Push(CMD_PLAY_FUNCTION, MakeCommand(0, BUTTON_DO, 1, 1, 1, 0, 1, 0, 0));
}

void CPresenterService::DealWithPageUp(int key)
{
    if (m_bPageUpDown.load() == 0) {
        WriteLog(KVO_LOG_INFO, "CPresenterService::DealWithPageUp() PageUp");
        m_pageTime = platform::GetTickCount();
        Push(CMD_KEY_MSM, MakeCommand(key, 0, 1, 0, 0, 0, 1, 0, 1));
    } else if (Since(m_pageTime) > kHoldActionMs && Latch(m_bSlideShowQueued)) {
        // One toggle per hold, queued once: a second one still waiting when the key is let go
        // would find the hold's started flag cleared and toggle the show straight back.
        PushServiceCmd(CMD_SLIDESHOW);
    }
    m_bPageUpDown = 1;
}

void CPresenterService::DealWithPageDown(int key)
{
    CConfigManager& config = m_environment.Config();
    if (config.GetRuntime(CConfigManager::Runtime::SettingsWindowHeld) != 0)
        return;
    IPresenterActions& actions = m_environment.Actions();
    if (!actions.DisplayOnTopRan()) {
        if (platform::ISettingsWindow* window = m_environment.SettingsWindow())
            window->HideSettingsWindow();
    }
    if (m_bPageDownDown.load() == 0) {
        WriteLog(KVO_LOG_INFO, "CPresenterService::DealWithPageDown() PageDown");
        m_pageTime = platform::GetTickCount();
        Push(CMD_KEY_MSM, MakeCommand(key, 0, 0, 1, 0, 0, 1, 0, 1));
    } else if (Since(m_pageTime) > kHoldActionMs) {
        const bool actionRan = config.GetRuntime(CConfigManager::Runtime::CustomActionLatch) != 0;
        if (!actionRan && CustomActionUsesPointer(config.GetSlotInt(ConfigSlotInt::Key, kSlotPresenter))) {
            // The remote must report motion for the pointer to steer the action.
            if (DeviceMgr* deviceMgr = m_pDeviceMgr.load())
                deviceMgr->SetMouseMode(1);
            m_environment.SendHeart(1, 0);
        }
        actions.OnPressPageDownKey();
    }
    m_bPageDownDown = 1;
}

void CPresenterService::DealWithCustomKey(int code)
{
    if (!Latch(m_bCustomKeyDown))
        return;
    // When the button's action is the blank screen, the action itself shows or hides it. A hide
    // in the queued command would race the show below and roll the curtain straight back up.
    const bool blankIsTheAction = m_environment.Config().GetSlotInt(ConfigSlotInt::Key, kSlotMouse) == kCustomBlankScreen;
    Push(CMD_KEY_MSM, MakeCommand(0, code, 1, 0, 0, 0, blankIsTheAction ? 0 : 1, 0, 1));
    m_environment.Actions().OnPressMouseCustomKey(code);
}

void CPresenterService::DealWithKey6()
{
    if (m_bFunKeyDown.load() != 0)
        return;
    if (!Latch(m_bCustomKeyDown))
        return;
    WriteLog(KVO_LOG_INFO, "CPresenterService::DealWithKey6 Key6");
    Push(CMD_PLAY_FUNCTION, MakeCommand(0, BUTTON_KEY6, 1, 0, 0, 0, 1, 0, 1));
}

void CPresenterService::DealWithRightKey()
{
    if (m_bFunKeyDown.load() != 0)
        return;
    if (!Latch(m_bRightKeyDown))
        return;
    WriteLog(KVO_LOG_DEBUG, "DealWithRightKey Press Right Key");
    Push(CMD_STOP_FUNCTION, MakeCommand(1, 0, 1, 0, 0, 0, 1, 0, 1));
}

void CPresenterService::DealWithSizeUp(int code) { DealWithSizeStep(code, 1); }

void CPresenterService::DealWithSizeDown(int code) { DealWithSizeStep(code, 2); }

void CPresenterService::DealWithSizeStep(int code, int effectAction)
{
    if (Since(m_pageTime) < kSizeStepGapMs)
        return;
    Push(CMD_KEY_MSM, MakeCommand(code, 0, 1, 2, 1, 0, 1, effectAction, 0));
    m_pageTime = platform::GetTickCount();
}

void CPresenterService::DealWithMirrorKey()
{
    if (Since(m_pageTime) < kMirrorGapMs || m_bFunKeyDown.load() != 0)
        return;
    if (Latch(m_bMirrorKeyDown)) {
        Push(CMD_KEY_MSM, MakeCommand(BUTTON_MIRROR, 0, 1, 0, 0, 0, 1, 0, 1));
        PushServiceCmd(CMD_MIRROR_SCREEN);
    }
    m_pageTime = platform::GetTickCount();
}

void CPresenterService::DealDoKeyOpen(int key, uint8_t keyFlag)
{
    const bool pageOrFunHeld = m_bFunKeyDown.load() != 0 || m_bPageUpDown.load() != 0 || m_bPageDownDown.load() != 0;
    if (pageOrFunHeld && m_openInProgress.load() == 0 && Since(m_lastOpenTime) > kOpenActionGapMs) {
        WriteLog(KVO_LOG_INFO, "CPresenterService::DealDoKeyOpen begin");
        m_openInProgress = 1;
        // Our key handling may have activated one of our windows; typing goes back to the
        // window the user presents from.
        if (platform::IForegroundWindow* foreground = m_environment.ForegroundWindow())
            foreground->GiveFocusBack();
        WriteLog(KVO_LOG_INFO, "CPresenterService::DealDoKeyOpen end");
        m_openInProgress = 0;
        m_lastOpenTime = platform::GetTickCount();
    }

    CConfigManager& config = m_environment.Config();
    config.SetRuntime(CConfigManager::Runtime::SlideShowStarted, 0);
    config.SetRuntime(CConfigManager::Runtime::CustomActionLatch, 0);
    m_bPageUpDown = 0;
    m_bSlideShowQueued = 0;
    m_bPageDownDown = 0;
    m_bFunKeyDown = 0;
    m_bCustomKeyDown = 0;
    m_bRightKeyDown = 0;
    m_bMirrorKeyDown = 0;
    m_environment.Actions().ClearHoldValues();
    m_bHookFunUpSent = 0;

    if (m_bDoKeyDown.exchange(0) != 0) {
        FunctionMgr* functionMgr = m_pFunctionMgr.load();
        // The pen stays on after the do key; it ends with the next function key.
        if (functionMgr != nullptr && functionMgr->GetCurrentFunction() != FUNCTION_ANNOTATION)
            Push(CMD_STOP_FUNCTION, ReleaseCommand(key, keyFlag));
    }
}

void CPresenterService::SelectFunction(int functionId)
{
    if (!IsSelectableFunction(functionId))
        return;
    m_bCommandPlaying = 0;
    WriteLog(KVO_LOG_INFO, "CPresenterService::SelectFunction %d", functionId);
    FunctionCommand command = MakeCommand(KEY_FUN, 0, 0, 0, 1, 1, 1, 0, 1);
    command.selectFunction = functionId;
    Push(CMD_KEY_MSM, command);
}

// Play and Stop go by a hold of their own: the remote reports its keys all the time, and its
// "nothing held" must not end what a command started (nor the other way round).
void CPresenterService::Play()
{
    WriteLog(KVO_LOG_INFO, "CPresenterService::Play");
    m_bCommandPlaying = 1;
    Push(CMD_PLAY_FUNCTION, DoKeyCommand(KEY_DO, 0));
}

void CPresenterService::Stop()
{
    WriteLog(KVO_LOG_INFO, "CPresenterService::Stop");
    m_bCommandPlaying = 0;
    // As at the do key's release, the pen stays on until the next function.
    FunctionMgr* functionMgr = m_pFunctionMgr.load();
    if (functionMgr != nullptr && functionMgr->GetCurrentFunction() != FUNCTION_ANNOTATION)
        Push(CMD_STOP_FUNCTION, ReleaseCommand(KEY_NONE, 0));
}

void CPresenterService::MoveBy(KeyDelta delta)
{
    if (delta.dx == 0 && delta.dy == 0)
        return;
    // While the do key (or a play command) holds, the pen draws; otherwise it only follows.
    const bool held = m_bDoKeyDown.load() != 0 || m_bCommandPlaying.load() != 0;
    MoveAfterKey(held ? KEY_DO : KEY_NONE, delta);
}

void CPresenterService::ToggleSlideShow() { PushServiceCmd(CMD_SLIDESHOW); }

void CPresenterService::StartRepeatWorker(uint8_t key)
{
    m_repeatKey = key;
    if (m_repeatRunning.load())
        return;
    if (m_repeatThread.joinable())
        m_repeatThread.join();
    m_repeatRunning = true;
    m_repeatThread = std::thread([this] {
        while (m_repeatRunning.load()) {
            const uint8_t key = m_repeatKey.load();
            if (key == KEY_DO_PAGE_UP)
                DealWithSizeUp(key);
            else
                DealWithSizeDown(key);
            platform::Sleep(kRepeatPeriodMs);
        }
    });
}

void CPresenterService::StopRepeatWorker()
{
    m_repeatRunning = false;
    if (m_repeatThread.joinable())
        m_repeatThread.join();
}
