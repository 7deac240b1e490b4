#pragma once
// Connection status, device type, mouse mode and heart ban of the connected remote, plus the
// worker that runs the device-status commands of the report decoder.

#include "ObjectManager.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <shared_mutex>

class DeviceConnectThread;

constexpr int DEVICE_STATUS_DISCONNECTED = 0;
constexpr int DEVICE_STATUS_CONNECTED = 2;
constexpr int MANAGER_QUEUE_CAPACITY = 512;

// What the device link does when the remote goes silent or announces a new type. Runs on the
// device manager's worker.
class IDeviceStatusHandler {
public:
    virtual ~IDeviceStatusHandler() = default;
    virtual void OnConnectTimeOut(int devType) = 0;
    virtual void OnSyncParameters(int devType) = 0;
};

class DeviceMgr {
public:
    DeviceMgr();
    ~DeviceMgr();
    DeviceMgr(const DeviceMgr&) = delete;
    DeviceMgr& operator=(const DeviceMgr&) = delete;

    int GetStatus() const;
    void SetStatus(int status);
    uint8_t GetCharging() const;
    void SetCharging(uint8_t charging);
    int GetMouseMode() const;
    void SetMouseMode(int mode);
    int GetDevType() const;
    void SetDevType(int devType);
    uint8_t GetHeartBan() const;
    void SetHeartBan(uint8_t ban);
    // Kept for the device link only.
    uint8_t GetLinkFlag() const;
    void SetLinkFlag(uint8_t flag);
    int GetModelBit() const;
    void SetModelBit(int bit);
    int GetLinkKind() const;
    void SetLinkKind(int kind);

    // Queues a device-status command for the worker; dropped with a log line when no record is
    // free or the worker has been stopped (nothing would take it).
    void PushCmd(int cmdId, int devType);
    void StartThread();
    // Runs the commands queued so far, then ends and joins the worker. StartThread starts it again.
    void StopThread();
    // One step of the worker; false ends it.
    bool Run();

    // The reactions to time-out and parameter sync; null leaves those commands without action.
    void SetStatusHandler(IDeviceStatusHandler* handler) { m_handler = handler; }
    ObjectManager& CommandQueue() { return m_cmdQueue; }

private:
    mutable std::shared_mutex m_lock;
    int32_t m_status = DEVICE_STATUS_DISCONNECTED;
    uint8_t m_charging = 0;
    int32_t m_mouseMode = 0;
    int32_t m_devType = 0;
    uint8_t m_heartBan = 0;
    uint8_t m_linkFlag = 0;
    int32_t m_modelBit = 0;
    int32_t m_linkKind = 0;

    std::atomic<IDeviceStatusHandler*> m_handler{nullptr};
    std::atomic<bool> m_stopped{false};
    ObjectManager m_cmdQueue{MANAGER_QUEUE_CAPACITY};
    std::unique_ptr<DeviceConnectThread> m_thread;
};
