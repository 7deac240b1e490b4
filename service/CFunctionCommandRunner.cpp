#include "CFunctionCommandRunner.h"

#include "ConfigManager.h"
#include "DeviceMgr.h"
#include "ICursor.h"
#include "IPresentationScreen.h"
#include "IFunctionToolTip.h"
#include "IPresenterActions.h"
#include "ISettingsWindow.h"
#include "KVOLog.h"
#include "ProtocolCmdDef.h"

#include <algorithm>

namespace {

constexpr int kFunctionPositions = 6;
constexpr int kDevicePresenter = 0;
// How close (exclusive) to the parking point a cursor still counts as parked.
constexpr int kRestoreReach = 5;

bool HasEffect(int functionId) { return functionId >= FUNCTION_SPOTLIGHT && functionId <= FUNCTION_ANNOTATION; }

} // namespace

CFunctionCommandRunner::CFunctionCommandRunner(FunctionMgr& functionMgr, const PresenterEnvironment& environment)
    : m_functionMgr(functionMgr), m_environment(environment)
{
}

void CFunctionCommandRunner::RunPlayOrStop(int cmdId, int devType, FunctionCommand& command)
{
    switch (cmdId) {
    case CMD_KEY_MSM:
        WriteLog(KVO_LOG_INFO, "FunctionMgr::RunPlayOrStopProc(), CMD_KEY_MSM key:%d", command.key);
        DealWithKeyMsm(command);
        break;
    case CMD_PLAY_FUNCTION:
        WriteLog(KVO_LOG_INFO, "FunctionMgr::RunPlayOrStopProc(), CMD_PLAY_FUNCTION");
        DealWithPlay(command);
        break;
    case CMD_STOP_FUNCTION:
        WriteLog(KVO_LOG_INFO, "FunctionMgr::RunPlayOrStopProc(), CMD_STOP_FUNCTION");
        DealWithStop(command);
        break;
    default:
        return;
    }
    UpdateMouseModeAndHeartBan(cmdId, devType, command);
}

void CFunctionCommandRunner::RunServiceCommand(int cmdId, int devType)
{
    if (cmdId == CMD_SLIDESHOW)
        m_environment.Actions().ToggleSlideShow(devType);
    else if (cmdId == CMD_MIRROR_SCREEN)
        m_environment.Actions().MirrorScreen(devType);
}

void CFunctionCommandRunner::DealWithKeyMsm(FunctionCommand& command)
{
    Prepare(command);
    if (command.key == 8 && command.keyFlag == 0) {
        const int current = m_functionMgr.GetCurrentFunction();
        // The pen has no hold: it comes on as soon as it is chosen.
        if (current == FUNCTION_ANNOTATION)
            StartFunction(current);
        if (IFunctionToolTip* toolTip = m_environment.ToolTip())
            toolTip->SetToolTipMode(current);
    }
}

void CFunctionCommandRunner::DealWithPlay(FunctionCommand& command)
{
    int current = m_functionMgr.GetCurrentFunction();
    Prepare(command);
    if (IsScreenShotShown())
        return;
    if (command.keyFlag == 1) {
        if (command.key == 4 && !IsFunctionShown(current))
            return;
        if (command.subKey == 4)
            current = FUNCTION_SCREENSHOT;
    }
    StartFunction(current);
    HideCursor(current);
}

void CFunctionCommandRunner::DealWithStop(const FunctionCommand& command)
{
    const int current = m_functionMgr.GetCurrentFunction();
    const bool shown = IsFunctionShown(current);
    const bool hid = StopFunction(current, command.restoreFirst != 0);
    // A presenter's cursor stays where the effect left off; a mouse gets its cursor back.
    if (command.keyFlag == 1 && shown && hid)
        RestoreCursor(current);
}

void CFunctionCommandRunner::RefreshScreenRect()
{
    const platform::IPresentationScreen* screen = m_environment.PresentationScreen();
    if (screen == nullptr)
        return;
    const platform::ScreenRect rect = screen->Rect();
    if (rect.width <= 0 || rect.height <= 0)
        return;  // no monitor known right now: keep the last good rectangle
    const EffectRect next{rect.x, rect.y, rect.x + rect.width, rect.y + rect.height};
    const EffectRect now = m_functionMgr.GetScreenRect();
    if (next.left == now.left && next.top == now.top && next.right == now.right && next.bottom == now.bottom)
        return;
    m_functionMgr.SetScreenRect(next);
    m_functionMgr.CenterVirtualPoint();
}

void CFunctionCommandRunner::Prepare(const FunctionCommand& command)
{
    RefreshScreenRect();
    int current = m_functionMgr.GetCurrentFunction();
    if (command.hideBlankScreen)
        m_environment.Actions().HideBlankScreen();
    if (command.hideSettingsWindow && current != FUNCTION_MOUSE)
        HideSettingsWindow();
    if (!command.showToolTip)
        HideToolTip();
    const bool running = IsFunctionShown(current);

    if (command.restoreFirst) {
        HideToolTip();
        if (command.key == 8 || current != FUNCTION_ANNOTATION) {
            IPresenterFunction* bridge = m_functionMgr.Effect(FUNCTION_SCREENSHOT);
            if (bridge != nullptr && bridge->IsShown())
                bridge->Hide(true);
            if (StopFunction(current, true))
                RestoreCursor(current);
        } else if (IPresenterFunction* pen = m_functionMgr.Effect(FUNCTION_ANNOTATION)) {
            pen->ClearPostil();
        }
    }

    bool switched = false;
    if (command.key == 8) {
        m_functionMgr.SetFunctionState(FUNCTION_STATE_IDLE);
        // A press while an effect shows only stops it; the pen is left by switching. A switch to a
        // named function (from the command line) stops what shows and switches in one go.
        if (IsSelectableFunction(command.selectFunction)) {
            current = command.selectFunction;
            m_functionMgr.SetCurrentFunction(current);
            m_functionMgr.CenterVirtualPoint();
            switched = true;
        } else if (!running || current == FUNCTION_ANNOTATION) {
            current = NextFunction(current);
            m_functionMgr.SetCurrentFunction(current);
            m_functionMgr.CenterVirtualPoint();
            switched = true;
        }
    }
    if (command.showToolTip && switched) {
        IFunctionToolTip* toolTip = m_environment.ToolTip();
        if (toolTip != nullptr && current != FUNCTION_ANNOTATION)
            toolTip->SetToolTipMode(current);
        else
            HideToolTip();
    }

    if (command.effectAction == 1 || command.effectAction == 2) {
        const int shownFunction = m_functionMgr.GetCurrentFunction();
        IPresenterFunction* effect = HasEffect(shownFunction) ? m_functionMgr.Effect(shownFunction) : nullptr;
        if (effect != nullptr) {
            const EffectPoint point = m_functionMgr.GetVirtualPoint();
            if (command.effectAction == 1)
                effect->SetDoAndUp(point);
            else
                effect->SetDoAndDown(point);
        }
    }
}

bool CFunctionCommandRunner::StartFunction(int functionId)
{
    const EffectPoint point = m_functionMgr.GetVirtualPoint();
    m_functionMgr.SetFunctionState(FUNCTION_STATE_SWITCHING);
    bool ok = false;
    if (HasEffect(functionId)) {
        if (IPresenterFunction* effect = m_functionMgr.Effect(functionId))
            ok = effect->Show(point);
    } else if (functionId == FUNCTION_SCREENSHOT) {
        // The capture UI takes over from here; the bridge reports nothing useful back.
        if (IPresenterFunction* bridge = m_functionMgr.Effect(FUNCTION_SCREENSHOT)) {
            bridge->Show(point);
            ok = true;
        }
    }
    m_functionMgr.SetFunctionState(ok ? FUNCTION_STATE_RUNNING : FUNCTION_STATE_IDLE);
    return ok;
}

bool CFunctionCommandRunner::StopFunction(int functionId, bool force)
{
    m_functionMgr.SetFunctionState(FUNCTION_STATE_SWITCHING);
    bool hid = false;
    if (HasEffect(functionId)) {
        if (IPresenterFunction* effect = m_functionMgr.Effect(functionId))
            hid = effect->Hide(force);
    }
    m_functionMgr.SetFunctionState(FUNCTION_STATE_IDLE);
    return hid;
}

bool CFunctionCommandRunner::IsFunctionShown(int functionId) const
{
    if (!HasEffect(functionId))
        return false;
    IPresenterFunction* effect = m_functionMgr.Effect(functionId);
    return effect != nullptr && effect->IsShown();
}

bool CFunctionCommandRunner::IsScreenShotShown() const
{
    IPresenterFunction* bridge = m_functionMgr.Effect(FUNCTION_SCREENSHOT);
    return bridge != nullptr && bridge->IsShown();
}

int CFunctionCommandRunner::NextFunction(int current) const
{
    const CConfigManager& config = m_environment.Config();
    int functions[kFunctionPositions];
    bool used[kFunctionPositions];
    for (int p = 0; p < kFunctionPositions; ++p) {
        functions[p] = config.GetFunctionAt(p);
        used[p] = config.GetFunctionUsedAt(p) != 0;
    }
    if (current == FUNCTION_NONE) {
        for (int p = 0; p < kFunctionPositions; ++p) {
            if (used[p])
                return functions[p];
        }
        return current;
    }
    const int* found = std::find(functions, functions + kFunctionPositions, current);
    if (found == functions + kFunctionPositions)
        return current;
    const int at = static_cast<int>(found - functions);
    for (int p = at + 1; p < kFunctionPositions; ++p) {
        if (used[p])
            return functions[p];
    }
    for (int p = 0; p < at; ++p) {
        if (used[p])
            return functions[p];
    }
    return current;
}

void CFunctionCommandRunner::UpdateMouseModeAndHeartBan(int cmdId, int devType, const FunctionCommand& command)
{
    const int current = m_functionMgr.GetCurrentFunction();
    bool modeChanged = false;
    if (cmdId == CMD_STOP_FUNCTION) {
        if (command.nSwtichMouseMode != 2)
            modeChanged = SetMouseMode(command.nSwtichMouseMode, devType, current);
    } else {
        int requested = command.nSwtichMouseMode;
        if (command.keyFlag == 1) {
            if (IsScreenShotShown())
                requested = 0;
            if (command.key == 4 && IsFunctionShown(current))
                requested = 1;
        }
        modeChanged = SetMouseMode(requested, devType, current);
        WriteLog(KVO_LOG_DEBUG, "FunctionMgr::DealWithKeyDown nSwtichMouseMode:%d isMouseModelChanged:%d", requested,
                 modeChanged ? 1 : 0);
    }

    DeviceMgr* deviceMgr = m_functionMgr.GetDeviceMgr();
    if (deviceMgr == nullptr)
        return;
    uint8_t ban = 0;
    if (devType == kDevicePresenter && cmdId == CMD_STOP_FUNCTION) {
        // The pen stays on after its key is let go, and with it the remote's motion reports.
        const bool penStillOn = current == FUNCTION_ANNOTATION && IsFunctionShown(FUNCTION_ANNOTATION);
        ban = penStillOn ? 0 : 1;
    }
    bool banChanged = false;
    if (ban != deviceMgr->GetHeartBan()) {
        deviceMgr->SetHeartBan(ban);
        m_environment.SendHeart(deviceMgr->GetMouseMode(), ban);
        WriteLog(KVO_LOG_DEBUG, "FunctionMgr::IsDeviceHeartBan:%d", ban);
        banChanged = true;
    }
    if (modeChanged || banChanged)
        m_environment.SendHeart(deviceMgr->GetMouseMode(), deviceMgr->GetHeartBan());
}

bool CFunctionCommandRunner::SetMouseMode(int requested, int devType, int functionId)
{
    DeviceMgr* deviceMgr = m_functionMgr.GetDeviceMgr();
    if (deviceMgr == nullptr)
        return false;
    int mode = requested;
    if (functionId == FUNCTION_MOUSE)
        mode = 0;
    else if (devType == kDevicePresenter)
        mode = 1;
    if (mode == deviceMgr->GetMouseMode())
        return false;
    deviceMgr->SetMouseMode(mode);
    return true;
}

EffectPoint CFunctionCommandRunner::ParkingPoint() const
{
    const EffectRect screen = m_functionMgr.GetScreenRect();
    const int width = screen.right - screen.left;
    const int height = screen.bottom - screen.top;
    return {screen.left + width, screen.top + static_cast<int>(height * 0.5)};
}

platform::ICursor* CFunctionCommandRunner::ParkableCursor(int functionId) const
{
    // The mouse function is the cursor itself; the screenshot has its own capture cursor.
    if (functionId == FUNCTION_MOUSE || functionId == FUNCTION_SCREENSHOT)
        return nullptr;
    return m_environment.Cursor();
}

void CFunctionCommandRunner::HideCursor(int functionId)
{
    std::lock_guard lock(m_functionMgr.LastCursorLock());
    platform::ICursor* cursor = ParkableCursor(functionId);
    if (cursor == nullptr)
        return;
    const EffectPoint park = ParkingPoint();
    const platform::CursorPoint point = cursor->GetPos();
    // A cursor already on the parking row or column is left alone: parking it would lose nothing
    // worth restoring, and restoring would jump it somewhere unexpected.
    if (point.x == park.x || point.y == park.y)
        return;
    m_functionMgr.m_LastCursorPos = {point.x, point.y};
    WriteLog(KVO_LOG_DEBUG,
             "FunctionMgr::HideCursor SwitchFunction:%d point.x:%d point.y:%d m_LastCursorPos.x:%d m_LastCursorPos.y:%d",
             functionId, park.x, park.y, point.x, point.y);
    cursor->SetPos({park.x, park.y});
}

void CFunctionCommandRunner::RestoreCursor(int functionId)
{
    std::lock_guard lock(m_functionMgr.LastCursorLock());
    platform::ICursor* cursor = ParkableCursor(functionId);
    if (cursor == nullptr)
        return;
    const EffectPoint park = ParkingPoint();
    const platform::CursorPoint point = cursor->GetPos();
    const int dx = point.x - park.x;
    const int dy = point.y - park.y;
    if (dx <= -kRestoreReach || dx >= kRestoreReach || dy <= -kRestoreReach || dy >= kRestoreReach)
        return;
    const EffectPoint last = m_functionMgr.m_LastCursorPos;
    WriteLog(KVO_LOG_DEBUG,
             "FunctionMgr::RestoreCursor SwitchFunction:%d point.x:%d point.y:%d m_LastCursorPos.x:%d m_LastCursorPos.y:%d",
             functionId, point.x, point.y, last.x, last.y);
    cursor->SetPos({last.x, last.y});
}

void CFunctionCommandRunner::Move(int key, EffectPoint delta)
{
    const int state = m_functionMgr.GetFunctionState();
    if (state == FUNCTION_STATE_SWITCHING || state == FUNCTION_STATE_IDLE || IsScreenShotShown())
        return;
    if (delta.x == 0 && delta.y == 0) {
        WriteLog(KVO_LOG_DEBUG, "FunctionMgr::Move x=0 y=0");
        return;
    }
    const int current = m_functionMgr.GetCurrentFunction();
    if (current != FUNCTION_MOUSE && current != FUNCTION_ANNOTATION) {
        const float scale = m_environment.SpeedScale();
        delta.x = static_cast<int>(static_cast<float>(delta.x) * scale);
        delta.y = static_cast<int>(static_cast<float>(delta.y) * scale);
    }
    const EffectRect screen = m_functionMgr.GetScreenRect();
    EffectPoint point = m_functionMgr.GetVirtualPoint();
    // Widened so that a huge delta near the edge cannot overflow before it is clamped.
    point.x = static_cast<int32_t>(std::clamp<int64_t>(int64_t{point.x} + delta.x, screen.left, std::max(screen.left, screen.right)));
    point.y = static_cast<int32_t>(std::clamp<int64_t>(int64_t{point.y} + delta.y, screen.top, std::max(screen.top, screen.bottom)));
    m_functionMgr.SetVirtualPoint(point);

    IPresenterFunction* effect = HasEffect(current) ? m_functionMgr.Effect(current) : nullptr;
    if (effect == nullptr)
        return;
    if (current != FUNCTION_ANNOTATION) {
        effect->Move(point);
    } else if (key == 4) {
        effect->Move(point);
        WriteLog(KVO_LOG_DEBUG, "FunctionMgr::Move");
    } else {
        effect->MovePencil(point);
    }
}

void CFunctionCommandRunner::HideSettingsWindow()
{
    // A settings page showing an effect preview keeps its window.
    if (m_environment.Config().GetRuntime(CConfigManager::Runtime::SettingsWindowHeld) != 0)
        return;
    if (platform::ISettingsWindow* window = m_environment.SettingsWindow())
        window->HideSettingsWindow();
}

void CFunctionCommandRunner::HideToolTip()
{
    if (IFunctionToolTip* toolTip = m_environment.ToolTip())
        toolTip->HideToolTip();
}
