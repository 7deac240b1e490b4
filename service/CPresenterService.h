#pragma once
// The presenter service: receives the remote's key events from the cursor-motion thread and
// turns them into function commands. This holds its key state and the managers it talks to.

#include <atomic>
#include <cstdint>
#include <thread>

class DeviceMgr;
class FunctionMgr;

class CPresenterService {
public:
    // Created on first use.
    static CPresenterService& GetInstance();
    // Ends the service; the main page calls this when the program closes.
    static void DestroyInstance();

    ~CPresenterService();
    CPresenterService(const CPresenterService&) = delete;
    CPresenterService& operator=(const CPresenterService&) = delete;

    void SetManagers(FunctionMgr* functionMgr, DeviceMgr* deviceMgr);
    FunctionMgr* GetFunctionMgr() const { return m_pFunctionMgr.load(); }
    DeviceMgr* GetDeviceMgr() const { return m_pDeviceMgr.load(); }
    uint64_t LastOpenTime() const { return m_lastOpenTime; }

    // Key latches, reset when the key is released.
    uint8_t m_bDoKeyDown = 0;
    uint8_t m_bFunKeyDown = 0;
    uint8_t m_bPageUpDown = 0;
    uint8_t m_bPageDownDown = 0;
    uint8_t m_bHookFunUpSent = 0;
    uint8_t m_bCustomKeyDown = 0;
    uint8_t m_bRightKeyDown = 0;
    uint8_t m_bMirrorKeyDown = 0;
    // Last page press, effect size step or mirror; last focus hand-back.
    uint64_t m_pageTime = 0;
    uint64_t m_lastOpenTime = 0;
    int32_t m_openInProgress = 0;

private:
    CPresenterService();
    void StopRepeatWorker();

    std::atomic<FunctionMgr*> m_pFunctionMgr{nullptr};
    std::atomic<DeviceMgr*> m_pDeviceMgr{nullptr};
    // Size steps repeat while do + page up or down is held.
    std::atomic<bool> m_repeatRunning{false};
    std::thread m_repeatThread;
};
