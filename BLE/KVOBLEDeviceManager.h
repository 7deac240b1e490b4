#pragma once
// Finds remotes among the system's Bluetooth LE devices once a second, connects them, subscribes
// to their one characteristic and hands each input report to the device link's receive queue in
// the same form as a receiver's report; frames for the remote are written to that characteristic.
// Three workers: "BLESearchThread" runs the device commands (add, remove, connect),
// "BLEStatusThread" enumerates and compares, "KVOBLEDataSendThread" writes.

#include "IBluetoothLE.h"
#include "IKVOBLELink.h"
#include "ObjectManager.h"
#include "OSThread.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct RingQueue;

// Device commands.
enum KVOBLECommand : int32_t {
    KVO_BLE_CMD_ADD = 1,
    KVO_BLE_CMD_REMOVE = 2,
    KVO_BLE_CMD_CONNECT = 3,
};

constexpr const char* KVO_BLE_SERVICE_UUID = "0000FF54-0000-1000-8000-00805F9B34FB";
constexpr const char* KVO_BLE_CHARACTERISTIC_UUID = "0000FF55-0000-1000-8000-00805F9B34FB";
constexpr int KVO_BLE_QUEUE_CAPACITY = 5;
constexpr int KVO_BLE_MAX_DEVICES = 30;
constexpr int KVO_BLE_ENUM_TIMEOUT_MS = 3000;
constexpr int KVO_BLE_DEVICE_TIMEOUT_MS = 1000;
constexpr int KVO_BLE_CACHE_MS = 800;
constexpr int KVO_BLE_MAX_CONSECUTIVE = 100;
constexpr int KVO_BLE_SEND_OFFER_MS = 100;
constexpr int KVO_BLE_NODE_SIZE = 1024;
constexpr int KVO_BLE_HEADER_SIZE = 27;
// How long a connected device may take to have its GATT services discovered, and how often the
// link looks.
constexpr int KVO_BLE_SERVICES_TIMEOUT_MS = 5000;
constexpr int KVO_BLE_SERVICES_POLL_MS = 20;

struct KVOBLEDeviceRecord {
    std::string name;
    std::string id;
    int32_t group = 0;
    bool connected = false;
    // Shared with a write in progress, which runs outside the list lock.
    std::shared_ptr<platform::IBleDevice> device;
};

class KVOBLEDeviceManager final : public IKVOBLELink {
public:
    struct Options {
        // Pause between two enumerations of the status thread.
        int statusPeriodMs = 1000;
    };

    // Starts the three workers; the first enumeration runs at once.
    explicit KVOBLEDeviceManager(platform::IBluetoothLE& api) : KVOBLEDeviceManager(api, Options{}) {}
    KVOBLEDeviceManager(platform::IBluetoothLE& api, Options options);
    ~KVOBLEDeviceManager() override;
    KVOBLEDeviceManager(const KVOBLEDeviceManager&) = delete;
    KVOBLEDeviceManager& operator=(const KVOBLEDeviceManager&) = delete;

    // IKVOBLELink
    void SetRecvQueue(RingQueue* queue) override;
    bool IsReady() override { return AnyConnected(); }
    void SendData(const uint8_t* data, int length) override;
    void Stop() override;

    bool AnyConnected();
    // The system's devices, or the cached list while another enumeration runs or the last one is
    // less than 800 ms old.
    std::vector<platform::BleDeviceEntry> EnumerateDevices();
    // Queues the commands that bring the device list in line with `devices`.
    void CompareDevices(const std::vector<platform::BleDeviceEntry>& devices);

    // Snapshot of the list for diagnostics: (id, connected).
    std::vector<std::pair<std::string, bool>> ListedDevices();

    // The workers' bodies, one step each; false ends the worker.
    bool DeviceCommandStep();
    bool StatusStep();
    bool SendStep();

private:
    void QueueDeviceCommand(int code, const std::string& id, const std::string& name, int group, bool wait);
    void AddDevice(const std::string& id, const std::string& name, int group);
    void ConnectDevice(const std::string& id);
    void RemoveDevice(const std::string& id);
    std::unique_ptr<platform::IBleDevice> ConnectAndCommunicate(const std::string& id);
    bool WaitForServices(platform::IBleDevice& device);
    bool SetupNotification(platform::IBleDevice& device);
    void OnValueChanged(const uint8_t* data, size_t length);
    void OnConnectionStatus(const std::string& id, bool connected);
    static void Disconnect(KVOBLEDeviceRecord& record);

    platform::IBluetoothLE& m_api;
    const Options m_options;

    std::mutex m_listLock;  // the device list
    std::vector<KVOBLEDeviceRecord> m_devices;

    std::mutex m_cacheLock;
    std::vector<platform::BleDeviceEntry> m_cache;
    // The enumeration guard.
    std::atomic<bool> m_enumerating{false};
    std::atomic<double> m_lastEnumMs{-1.0e12};
    std::atomic<uint32_t> m_consecutiveCalls{0};
    // What the last pass wrote, so a pass that finds the same again stays quiet.
    uint32_t m_lastFailure = 0;
    int m_lastFound = -1;

    ObjectManager m_deviceQueue{KVO_BLE_QUEUE_CAPACITY};
    ObjectManager m_sendQueue{KVO_BLE_QUEUE_CAPACITY};
    std::atomic<RingQueue*> m_recvQueue{nullptr};
    // Set while reports are dropped for a full receive queue, so that is said once.
    std::atomic<bool> m_dropping{false};

    std::mutex m_stopLock;
    std::condition_variable m_stopSignal;
    std::atomic<bool> m_stopping{false};
    std::atomic<bool> m_stopped{false};

    OSOwnerThread<KVOBLEDeviceManager, &KVOBLEDeviceManager::DeviceCommandStep> m_deviceThread;
    OSOwnerThread<KVOBLEDeviceManager, &KVOBLEDeviceManager::StatusStep> m_statusThread;
    OSOwnerThread<KVOBLEDeviceManager, &KVOBLEDeviceManager::SendStep> m_sendThread;
};
