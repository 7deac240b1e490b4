#pragma once
// The process-wide managers: the function manager, then the device manager. Created on first
// use; the device link and the key handling reach them through here.

#include "DeviceMgr.h"
#include "FunctionMgr.h"

#include <functional>
#include <memory>

// What the program supplies before the set is first created: the effects and where the
// presentation screen and the cursor are. Without it the set has no effects.
struct ControllerSetEnvironment {
    std::function<EffectSet()> createEffects;
    std::function<EffectRect()> presentationScreen;
    std::function<EffectPoint()> cursorPos;
};

class ControllerSet {
public:
    // Creates the set on first use.
    static ControllerSet& Instance();
    // The set if it exists, else null; never creates it.
    static ControllerSet* Existing();
    // Destroys the set (its workers end first). For program exit, once nothing that reaches the
    // set through Existing() runs any more (the device link is down), and for tests.
    static void Destroy();
    static void SetEnvironment(ControllerSetEnvironment environment);

    // The device manager's worker and the function manager's two. Stopping ends the device
    // manager's first: its time-out handling queues work for the function manager.
    void StartWorkers();
    void StopWorkers();

    FunctionMgr& GetFunctionMgr() { return *m_functionMgr; }
    DeviceMgr& GetDeviceMgr() { return *m_deviceMgr; }

    ~ControllerSet();

private:
    ControllerSet();

    std::unique_ptr<FunctionMgr> m_functionMgr;
    std::unique_ptr<DeviceMgr> m_deviceMgr;
};

// The device manager if the set exists, else null.
DeviceMgr* ExistingDeviceMgr();
