#pragma once
// The presenter service: receives the remote's key events from the cursor-motion thread and
// turns them into function commands. It keeps a latch per key (so a held key acts once), the
// time stamps of the hold actions, and the repeat worker that steps an effect's size while
// do + page up or do + page down is held.
// The latches are atomics: the repeat worker runs the size steps beside the motion thread.

#include "CFunctionCommandRunner.h"
#include "PresenterEnvironment.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

class DeviceMgr;
class FunctionMgr;
struct FunctionCommand;

// Motion of one event, in device counts.
struct KeyDelta {
    int32_t dx = 0;
    int32_t dy = 0;
};

class CPresenterService {
public:
    // Created on first use.
    static CPresenterService& GetInstance();
    // Ends the service; the main page calls this when the program closes. The managers given
    // to SetManagers must still exist.
    static void DestroyInstance();

    ~CPresenterService();
    CPresenterService(const CPresenterService&) = delete;
    CPresenterService& operator=(const CPresenterService&) = delete;

    // Also makes this service the one that runs the function manager's commands. Null for both
    // detaches it (before the managers go).
    void SetManagers(FunctionMgr* functionMgr, DeviceMgr* deviceMgr);
    FunctionMgr* GetFunctionMgr() const { return m_pFunctionMgr.load(); }
    DeviceMgr* GetDeviceMgr() const { return m_pDeviceMgr.load(); }
    PresenterEnvironment& Environment() { return m_environment; }
    // The runner of the current function manager, or null.
    CFunctionCommandRunner* GetCommandRunner() const { return m_runner.get(); }
    uint32_t LastOpenTime() const { return m_lastOpenTime; }

    // One presenter event and one wireless-mouse event (cursor-motion thread).
    void DealWithPresenterKeyValue(uint8_t key, KeyDelta delta);
    void DealWithMouseKeyValue(uint8_t key, uint8_t button, KeyDelta delta);
    void ExitCurrentMode();

    // The handlers; each pushes at most one command for the current device type.
    void DealWithFunKey(int key, uint8_t keyFlag);
    void DealWithDoKey(int key, uint8_t keyFlag);
    void DealWithDoButton();
    void DealWithPageUp(int key);
    void DealWithPageDown(int key);
    void DealWithCustomKey(int code);
    void DealWithKey6();
    void DealWithRightKey();
    void DealWithSizeUp(int code);
    void DealWithSizeDown(int code);
    void DealWithMirrorKey();
    void DealDoKeyOpen(int key, uint8_t keyFlag);

    bool IsRepeatRunning() const { return m_repeatRunning.load(); }

    // Driving the service without the remote (the command line and the session bus), through the
    // same commands the keys push. SelectFunction works like a function-key press that lands on
    // the given function (1 to 6) instead of the next one; Play and Stop push what a press and a
    // release of the do key push, outside the remote's key latches; MoveBy is the remote's motion,
    // with the do key held while it or a play holds.
    void SelectFunction(int functionId);
    void Play();
    void Stop();
    void MoveBy(KeyDelta delta);
    // The slide-show toggle a held page-up key queues.
    void ToggleSlideShow();

    // Key latches, reset when the key is released.
    std::atomic<uint8_t> m_bDoKeyDown{0};
    std::atomic<uint8_t> m_bFunKeyDown{0};
    std::atomic<uint8_t> m_bPageUpDown{0};
    std::atomic<uint8_t> m_bPageDownDown{0};
    std::atomic<uint8_t> m_bHookFunUpSent{0};
    std::atomic<uint8_t> m_bCustomKeyDown{0};
    std::atomic<uint8_t> m_bRightKeyDown{0};
    std::atomic<uint8_t> m_bMirrorKeyDown{0};
    // A play command holds the function, as the do key would, until a stop or another function.
    std::atomic<uint8_t> m_bCommandPlaying{0};
    // The page-up hold has queued its slide-show toggle.
    std::atomic<uint8_t> m_bSlideShowQueued{0};
    // Last page press, effect size step or mirror; last focus hand-back (clock ticks).
    std::atomic<uint32_t> m_pageTime{0};
    std::atomic<uint32_t> m_lastOpenTime{0};
    std::atomic<int32_t> m_openInProgress{0};

private:
    CPresenterService();
    void Push(int cmdId, const FunctionCommand& command);
    void PushServiceCmd(int cmdId);
    int DevType() const;
    void DealWithSizeStep(int code, int effectAction);
    void StartRepeatWorker(uint8_t key);
    void StopRepeatWorker();
    void MoveAfterKey(int key, KeyDelta delta);
    void DetachRunner();

    PresenterEnvironment m_environment;
    std::atomic<FunctionMgr*> m_pFunctionMgr{nullptr};
    std::atomic<DeviceMgr*> m_pDeviceMgr{nullptr};
    std::unique_ptr<CFunctionCommandRunner> m_runner;
    // Size steps repeat while do + page up or down is held; the key says which way.
    std::atomic<bool> m_repeatRunning{false};
    std::atomic<uint8_t> m_repeatKey{0};
    std::thread m_repeatThread;
};
