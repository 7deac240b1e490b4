#pragma once
// Owns the on-screen effects and the current function, and runs the function and service
// commands on two workers of its own. What the key, play and stop commands do is supplied by the
// key handling through IFunctionCommandRunner; this class queues, gates and frees them.

#include "FunctionCommand.h"
#include "IPresenterFunction.h"
#include "ObjectManager.h"

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <shared_mutex>

class DeviceMgr;
class PlayOrStopThread;
class RunCmdProcThread;

// The effects in the manager's order: spotlight, digital laser, magnifier, annotation pen,
// screenshot bridge. Any may be missing; the functions that need it then do nothing.
enum EffectSlot : int { EFFECT_SPOTLIGHT, EFFECT_LASER, EFFECT_MAGNIFIER, EFFECT_ANNOTATION, EFFECT_SCREENSHOT };
using EffectSet = std::array<std::unique_ptr<IPresenterFunction>, 5>;

// Runs the commands that reach the two workers.
class IFunctionCommandRunner {
public:
    virtual ~IFunctionCommandRunner() = default;
    // CMD_KEY_MSM, CMD_PLAY_FUNCTION, CMD_STOP_FUNCTION, on the play/stop worker.
    virtual void RunPlayOrStop(int cmdId, int devType, FunctionCommand& command) = 0;
    // CMD_MIRROR_SCREEN, CMD_SLIDESHOW, on the service-command worker.
    virtual void RunServiceCommand(int cmdId, int devType) = 0;
};

class FunctionMgr {
public:
    // `screen` is the presentation screen the virtual pointer is kept in; `cursor` the real
    // cursor position now.
    FunctionMgr(EffectSet effects, EffectRect screen, EffectPoint cursor);
    ~FunctionMgr();
    FunctionMgr(const FunctionMgr&) = delete;
    FunctionMgr& operator=(const FunctionMgr&) = delete;

    void SetDeviceMgr(DeviceMgr* deviceMgr) { m_pDeviceMgr = deviceMgr; }
    DeviceMgr* GetDeviceMgr() const { return m_pDeviceMgr; }
    void SetCommandRunner(IFunctionCommandRunner* runner) { m_runner = runner; }

    // Create of every effect: annotation, magnifier, spotlight, laser, screenshot.
    void CreateEffects();
    // The effect of a function (2 to 6), or null.
    IPresenterFunction* Effect(int functionId) const;

    // The two workers run from construction. StopThreads lets each finish the commands queued so
    // far, then ends and joins it; later commands are dropped until StartThreads.
    void StartThreads();
    void StopThreads();

    // Pushes CMD_STOP_FUNCTION for the current device type.
    void StopFunction(int restoreFirst);
    // Queues a command for the play/stop worker; the payload is freed when no record is free or
    // the workers have stopped.
    void PushPlayOrStopCmd(int cmdId, int devType, std::unique_ptr<FunctionCommand> payload);
    // Queues a command for the service-command worker (note the argument order).
    void PushCmd(int devType, int cmdId, std::unique_ptr<FunctionCommand> payload);

    // Worker steps; false ends the worker.
    bool RunPlayOrStopProc();
    bool RunCmdProc();

    int GetCurrentFunction() const;
    void SetCurrentFunction(int functionId);
    int GetFunctionState() const;
    void SetFunctionState(int state);
    EffectPoint GetVirtualPoint() const;
    void SetVirtualPoint(EffectPoint point);
    EffectRect GetScreenRect() const;
    void SetScreenRect(EffectRect rect);
    void CenterVirtualPoint();
    // Held by cursor parking and restoring for their whole run.
    std::mutex& LastCursorLock() { return m_lastCursorLock; }
    EffectPoint m_LastCursorPos;

    ObjectManager& PlayOrStopQueue() { return m_playOrStopQueue; }
    ObjectManager& ServiceQueue() { return m_cmdQueue; }

private:
    bool IsScreenShotSaving() const;

    EffectSet m_effects;
    std::atomic<DeviceMgr*> m_pDeviceMgr{nullptr};
    std::atomic<IFunctionCommandRunner*> m_runner{nullptr};
    std::atomic<bool> m_stopped{false};

    ObjectManager m_playOrStopQueue;
    std::unique_ptr<PlayOrStopThread> m_playOrStopThread;
    ObjectManager m_cmdQueue;
    std::unique_ptr<RunCmdProcThread> m_cmdThread;

    mutable std::shared_mutex m_functionLock;
    int32_t m_currentFunction = FUNCTION_MOUSE;
    mutable std::mutex m_stateLock;
    int32_t m_functionState = FUNCTION_STATE_IDLE;
    mutable std::shared_mutex m_pointLock;
    EffectPoint m_virtualPoint;
    EffectRect m_screenRect;
    std::mutex m_lastCursorLock;
};
