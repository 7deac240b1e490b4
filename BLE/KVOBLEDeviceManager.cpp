#include "KVOBLEDeviceManager.h"

#include "Clock.h"
#include "KVOBLENames.h"
#include "KVOFrameHeader.h"
#include "KVOLog.h"
#include "KVOMemPool.h"
#include "KVORingQueue.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

// Enumeration, connection and sending talk to standard output, not to the log file: they run
// every second and would drown the log.
__attribute__((format(printf, 1, 2))) void BleOut(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::string CommandName(const cmdInfo& cmd)
{
    return cmd.data ? std::string(cmd.data.get(), static_cast<size_t>(cmd.dataLength)) : std::string();
}

} // namespace

KVOBLEDeviceManager::KVOBLEDeviceManager(platform::IBluetoothLE& api, Options options)
    : m_api(api), m_options(options), m_deviceThread("BLESearchThread", this), m_statusThread("BLEStatusThread", this),
      m_sendThread("KVOBLEDataSendThread", this)
{
    m_deviceThread.Start();
    m_statusThread.Start();
    m_sendThread.Start();
}

KVOBLEDeviceManager::~KVOBLEDeviceManager() { Stop(); }

void KVOBLEDeviceManager::SetRecvQueue(RingQueue* queue) { m_recvQueue = queue; }

bool KVOBLEDeviceManager::AnyConnected()
{
    std::lock_guard guard(m_listLock);
    return std::any_of(m_devices.begin(), m_devices.end(), [](const KVOBLEDeviceRecord& r) { return r.connected; });
}

std::vector<std::pair<std::string, bool>> KVOBLEDeviceManager::ListedDevices()
{
    std::lock_guard guard(m_listLock);
    std::vector<std::pair<std::string, bool>> out;
    for (const KVOBLEDeviceRecord& r : m_devices)
        out.emplace_back(r.id, r.connected);
    return out;
}

std::vector<platform::BleDeviceEntry> KVOBLEDeviceManager::EnumerateDevices()
{
    const auto cached = [this] {
        std::lock_guard guard(m_cacheLock);
        return m_cache;
    };
    if (m_enumerating.exchange(true)) {
        BleOut("Previous enumeration still in progress, returning cached result");
        return cached();
    }
    struct ClearFlag {
        std::atomic<bool>& flag;
        ~ClearFlag() { flag = false; }
    } clearFlag{m_enumerating};

    const double now = platform::HighResMs();
    if (now - m_lastEnumMs.load() < KVO_BLE_CACHE_MS)
        return cached();
    if (m_consecutiveCalls.fetch_add(1) > KVO_BLE_MAX_CONSECUTIVE) {
        m_consecutiveCalls = 0;
        BleOut("Too many consecutive calls, resetting counter");
    }
    m_lastEnumMs = now;

    platform::BleEnumeration found = m_api.FindAll(KVO_BLE_ENUM_TIMEOUT_MS);
    if (found.status != platform::BleCallStatus::Completed) {
        // Without BlueZ or an adapter every pass fails the same way: say it once, then again only
        // when the reason changes or after a pass that worked.
        const uint32_t failure = found.status == platform::BleCallStatus::TimedOut ? 0xFFFFFFFFu : found.code | 1u << 31;
        if (failure != m_lastFailure) {
            m_lastFailure = failure;
            m_lastFound = -1;
            if (found.status == platform::BleCallStatus::TimedOut)
                BleOut("Device enumeration timeout after 3 seconds");
            else
                BleOut("Enumeration failed: 0x%08X %s", found.code, found.message.c_str());
            BleOut("Returning cached devices due to enumeration failure");
        }
        return cached();
    }
    m_lastFailure = 0;

    const int n = static_cast<int>(found.devices.size());
    const bool changed = n != m_lastFound;
    m_lastFound = n;
    if (n > KVO_BLE_MAX_DEVICES) {
        if (changed)
            BleOut("Limiting devices to %d out of %d found", KVO_BLE_MAX_DEVICES, n);
        // Every device anyone's scan found counts; the remotes in use must survive the cut.
        std::stable_partition(found.devices.begin(), found.devices.end(),
                              [](const platform::BleDeviceEntry& e) { return e.paired || e.connected; });
        found.devices.resize(KVO_BLE_MAX_DEVICES);
    }
    if (changed)
        BleOut("Found %d devices", n);

    std::vector<platform::BleDeviceEntry> result;
    result.reserve(found.devices.size());
    for (platform::BleDeviceEntry& entry : found.devices) {
        if (entry.id.empty())
            continue;
        if (!entry.nameKnown)
            entry.name = "Unknown Device";
        result.push_back(std::move(entry));
    }
    if (changed)
        BleOut("Successfully enumerated %d devices", static_cast<int>(result.size()));
    std::lock_guard guard(m_cacheLock);
    if (result.empty() && !m_cache.empty()) {
        // A Bluetooth service that has just come back lists nothing for a moment; the remotes
        // are not dropped for that.
        if (changed)
            BleOut("Returning cached devices due to enumeration failure");
        return m_cache;
    }
    m_cache = result;
    return result;
}

void KVOBLEDeviceManager::QueueDeviceCommand(int code, const std::string& id, const std::string& name, int group,
                                             bool wait)
{
    const auto make = [&]() -> cmdInfo* {
        cmdInfo* cmd = m_deviceQueue.getObj(static_cast<int>(name.size()));
        if (cmd == nullptr) {
            WriteLog(KVO_LOG_WARN, "KVOBLEDeviceManager::QueueDeviceCommand no record for cmd %d", code);
            return nullptr;
        }
        cmd->cmdId = code;
        cmd->cmdArg = group;
        cmd->address = id;
        std::memcpy(cmd->data.get(), name.data(), name.size());
        cmd->dataLength = static_cast<int32_t>(name.size());
        return cmd;
    };
    if (!wait) {
        if (cmdInfo* cmd = make())
            m_deviceQueue.offerObjNoWait(cmd);
        return;
    }
    // A full queue makes the caller wait, but never past the manager's shutdown. A timed-out
    // offer gives the record back, so each try takes a new one.
    while (!m_stopping.load()) {
        cmdInfo* cmd = make();
        if (cmd == nullptr || m_deviceQueue.offerObj(cmd, KVO_BLE_SEND_OFFER_MS) == 0)
            return;
    }
}

void KVOBLEDeviceManager::CompareDevices(const std::vector<platform::BleDeviceEntry>& devices)
{
    std::vector<std::pair<std::string, bool>> listed = ListedDevices();
    const auto findListed = [&](const std::string& id) {
        return std::find_if(listed.begin(), listed.end(), [&](const auto& r) { return r.first == id; });
    };
    for (const platform::BleDeviceEntry& entry : devices) {
        if (!entry.connected && !entry.id.empty()) {
            // A disconnection the system never signalled (its Bluetooth service restarted, a
            // signal was lost): the record goes, and the remote is added again once it is back.
            const auto it = findListed(entry.id);
            if (it != listed.end() && it->second)
                QueueDeviceCommand(KVO_BLE_CMD_REMOVE, entry.id, {}, -1, true);
        }
        if (!entry.connected || entry.id.empty())
            continue;
        const auto it = findListed(entry.id);
        if (it != listed.end()) {
            if (!it->second)
                QueueDeviceCommand(KVO_BLE_CMD_CONNECT, entry.id, entry.name, 0, true);
            continue;
        }
        const int group = kvoble::NameGroup(entry.name);
        if (group >= 0)
            QueueDeviceCommand(KVO_BLE_CMD_ADD, entry.id, entry.name, group, true);
    }
    for (const auto& record : listed) {
        const std::string& id = record.first;
        const bool seen = std::any_of(devices.begin(), devices.end(),
                                      [&](const platform::BleDeviceEntry& e) { return e.id == id; });
        if (!seen)
            QueueDeviceCommand(KVO_BLE_CMD_REMOVE, id, {}, -1, true);
    }
}

bool KVOBLEDeviceManager::StatusStep()
{
    CompareDevices(EnumerateDevices());
    std::unique_lock lock(m_stopLock);
    m_stopSignal.wait_for(lock, std::chrono::milliseconds(m_options.statusPeriodMs), [this] { return m_stopping.load(); });
    return !m_stopping.load();
}

bool KVOBLEDeviceManager::DeviceCommandStep()
{
    cmdInfo* cmd = m_deviceQueue.takeObj();
    if (cmd == nullptr) {
        WriteLog(KVO_LOG_ERROR, "KVOBLEDeviceManager::DeviceCommandStep return by: (cmdInfo == NULL)");
        return true;
    }
    if (cmd->exit_tag == 1) {
        m_deviceQueue.releaseObj(cmd);
        WriteLog(KVO_LOG_INFO, "KVOBLEDeviceManager::DeviceCommandStep return by: (1 == cmdInfo.exit_tag).");
        return false;
    }
    if (m_stopping.load()) {
        // Shutting down: connects still queued would each wait for the system.
        m_deviceQueue.releaseObj(cmd);
        return true;
    }
    const std::string id = cmd->address;
    switch (cmd->cmdId) {
    case KVO_BLE_CMD_ADD:
        AddDevice(id, CommandName(*cmd), cmd->cmdArg);
        break;
    case KVO_BLE_CMD_CONNECT:
        ConnectDevice(id);
        break;
    case KVO_BLE_CMD_REMOVE:
        RemoveDevice(id);
        break;
    default:
        WriteLog(KVO_LOG_WARN, "KVOBLEDeviceManager::DeviceCommandStep unknown cmd %d", cmd->cmdId);
        break;
    }
    m_deviceQueue.releaseObj(cmd);
    return true;
}

void KVOBLEDeviceManager::AddDevice(const std::string& id, const std::string& name, int group)
{
    {
        std::lock_guard guard(m_listLock);
        if (std::any_of(m_devices.begin(), m_devices.end(), [&](const KVOBLEDeviceRecord& r) { return r.id == id; }))
            return;
        KVOBLEDeviceRecord record;
        record.id = id;
        record.name = name;
        record.group = group;
        m_devices.push_back(std::move(record));
    }
    WriteLog(KVO_LOG_INFO, "BLE device add with deviceUUID:%s deviceName:%s", id.c_str(), name.c_str());
    QueueDeviceCommand(KVO_BLE_CMD_CONNECT, id, name, group, false);
}

void KVOBLEDeviceManager::ConnectDevice(const std::string& id)
{
    std::shared_ptr<platform::IBleDevice> earlier;
    std::string name;
    {
        std::lock_guard guard(m_listLock);
        auto it = std::find_if(m_devices.begin(), m_devices.end(), [&](const KVOBLEDeviceRecord& r) { return r.id == id; });
        if (it == m_devices.end())
            return;
        if (it->connected) {
            WriteLog(KVO_LOG_INFO, "BLE device connect repeat");
            return;
        }
        earlier = std::move(it->device);
        name = it->name;
    }
    BleOut("Connecting to device...");
    // Handlers of an earlier connection are removed outside the list lock: they take it.
    if (earlier)
        earlier->Close();
    std::unique_ptr<platform::IBleDevice> device = ConnectAndCommunicate(id);
    if (device && !SetupNotification(*device)) {
        device->Close();
        device.reset();
    }
    if (!device) {
        WriteLog(KVO_LOG_ERROR, "BLE device open fail with deviceUUID:%s deviceName:%s", id.c_str(), name.c_str());
        return;
    }
    {
        std::lock_guard guard(m_listLock);
        auto it = std::find_if(m_devices.begin(), m_devices.end(), [&](const KVOBLEDeviceRecord& r) { return r.id == id; });
        if (it != m_devices.end()) {
            it->device = std::move(device);
            it->connected = true;
        }
    }
    if (device) {
        // Removed from the list while connecting.
        device->Close();
        return;
    }
    WriteLog(KVO_LOG_INFO, "BLE device WCHBLERegisterReadNotify success with deviceUUID:%s deviceName:%s", id.c_str(),
             name.c_str());
}

std::unique_ptr<platform::IBleDevice> KVOBLEDeviceManager::ConnectAndCommunicate(const std::string& id)
{
    std::string error;
    std::unique_ptr<platform::IBleDevice> device = m_api.FromId(id, KVO_BLE_DEVICE_TIMEOUT_MS, error);
    if (!device) {
        BleOut("Failed to connect to device");
        return nullptr;
    }
    device->SetConnectionHandler([this, id](bool connected) { OnConnectionStatus(id, connected); });
    if (!device->IsConnected()) {
        BleOut("Device is not connected");
        device->Close();
        return nullptr;
    }
    if (!WaitForServices(*device)) {
        BleOut("Services not resolved");
        device->Close();
        return nullptr;
    }
    switch (device->OpenCharacteristic(KVO_BLE_SERVICE_UUID, KVO_BLE_CHARACTERISTIC_UUID, error)) {
    case platform::BleGattResult::Ok:
        BleOut("Successfully connected to device");
        return device;
    case platform::BleGattResult::ServiceNotFound:
        BleOut("Service not found");
        break;
    case platform::BleGattResult::CharacteristicNotFound:
        BleOut("Characteristic not found");
        break;
    case platform::BleGattResult::Error:
        BleOut("Error in connectAndCommunicate: %s", error.c_str());
        break;
    }
    device->Close();
    return nullptr;
}

bool KVOBLEDeviceManager::WaitForServices(platform::IBleDevice& device)
{
    // The system lists a device's GATT objects only once it has discovered them, some time
    // after the connection.
    const double giveUp = platform::HighResMs() + KVO_BLE_SERVICES_TIMEOUT_MS;
    while (!device.ServicesResolved()) {
        if (platform::HighResMs() >= giveUp)
            return false;
        std::unique_lock lock(m_stopLock);
        if (m_stopSignal.wait_for(lock, std::chrono::milliseconds(KVO_BLE_SERVICES_POLL_MS),
                                  [this] { return m_stopping.load(); }))
            return false;
    }
    return true;
}

bool KVOBLEDeviceManager::SetupNotification(platform::IBleDevice& device)
{
    if ((device.CharacteristicProperties() & platform::BLE_PROPERTY_NOTIFY) == 0)
        return false;
    std::string error;
    if (!device.SetNotify(false, error)) {
        BleOut("Failed to disable notifications");
        return false;
    }
    device.SetValueHandler([this](const uint8_t* data, size_t length) { OnValueChanged(data, length); });
    if (!device.SetNotify(true, error)) {
        BleOut("Error setting up notification: %s", error.c_str());
        return false;
    }
    return true;
}

void KVOBLEDeviceManager::OnValueChanged(const uint8_t* data, size_t length)
{
    // Only input reports go on; anything else the remote notifies is not for the decoder.
    RingQueue* queue = m_recvQueue.load();
    if (queue == nullptr || data == nullptr || length == 0 || data[0] != KVO_REPORT_ID)
        return;
    pMemNode node = nullptr;
    if (Mem_Alloc(&node, KVO_BLE_NODE_SIZE, __FILE__) != 0 || node == nullptr)
        return;
    std::memset(node->data, 0, KVO_BLE_NODE_SIZE);
    KVOFrameHeader header;
    header.source = KVO_LINK_BLE;
    // Stamped like a receiver's report, so the decoder's latency watch covers both links.
    header.recvTime = static_cast<int32_t>(static_cast<int64_t>(platform::HighResMs()));
    WriteFrameHeader(node, header);
    const size_t copied = std::min(length, static_cast<size_t>(KVO_BLE_NODE_SIZE - KVO_BLE_HEADER_SIZE));
    std::memcpy(node->data + KVO_BLE_HEADER_SIZE, data, copied);
    node->data_len = static_cast<int32_t>(KVO_BLE_HEADER_SIZE + copied);
    // Never waits for room: the handler runs on the thread that serves every device's events,
    // and a decoder that has fallen behind would stall all of them. A full queue drops the report.
    if (m_stopping.load()) {
        Mem_Free(node, __FILE__, __func__, __LINE__);
        return;
    }
    if (EnRingQ(queue, node) != 0) {
        Mem_Free(node, __FILE__, __func__, __LINE__);
        if (!m_dropping.exchange(true))
            WriteLog(KVO_LOG_WARN, "KVOBLEDeviceManager::OnValueChanged receive queue full, reports dropped");
        return;
    }
    m_dropping = false;
}

void KVOBLEDeviceManager::OnConnectionStatus(const std::string& id, bool connected)
{
    if (!connected) {
        WriteLog(KVO_LOG_INFO, "KVOBLEDeviceManager::ConnectionStatusChanged the system disconnected deviceUUID:%s",
                 id.c_str());
        // Never waits: the command thread may be closing this very device.
        QueueDeviceCommand(KVO_BLE_CMD_REMOVE, id, {}, -1, false);
    }
    {
        std::lock_guard guard(m_listLock);
        for (KVOBLEDeviceRecord& r : m_devices) {
            if (r.id == id)
                r.connected = connected;
        }
    }
    BleOut("Connection status changed: %s", connected ? "Connected" : "Disconnected");
}

void KVOBLEDeviceManager::Disconnect(KVOBLEDeviceRecord& record)
{
    if (record.device)
        record.device->Close();
    record.device.reset();
    record.connected = false;
}

void KVOBLEDeviceManager::RemoveDevice(const std::string& id)
{
    KVOBLEDeviceRecord removed;
    {
        std::lock_guard guard(m_listLock);
        auto it = std::find_if(m_devices.begin(), m_devices.end(), [&](const KVOBLEDeviceRecord& r) { return r.id == id; });
        if (it == m_devices.end())
            return;
        removed = std::move(*it);
        m_devices.erase(it);
    }
    Disconnect(removed);
    WriteLog(KVO_LOG_INFO, "BLE device remove with deviceUUID:%s", id.c_str());
}

void KVOBLEDeviceManager::SendData(const uint8_t* data, int length)
{
    if (m_stopping.load() || m_sendQueue.queueSize() >= KVO_BLE_QUEUE_CAPACITY)
        return;
    const int size = std::max(length, 0);
    cmdInfo* cmd = m_sendQueue.getObj(size);
    if (cmd == nullptr)
        return;
    if (size > 0)
        std::memcpy(cmd->data.get(), data, static_cast<size_t>(size));
    cmd->dataLength = size;
    if (m_sendQueue.offerObj(cmd, KVO_BLE_SEND_OFFER_MS) == -1)
        WriteLog(KVO_LOG_WARN, "BLE sendData timeout, switching to 2.4G");
}

bool KVOBLEDeviceManager::SendStep()
{
    cmdInfo* cmd = m_sendQueue.takeObj();
    if (cmd == nullptr)
        return true;
    if (cmd->exit_tag == 1) {
        m_sendQueue.releaseObj(cmd);
        return false;
    }
    if (cmd->dataLength <= 0 || !cmd->data) {
        BleOut("Invalid input data");
    } else {
        // A slow write must not hold up the handlers and the command thread, which take the list.
        std::vector<std::shared_ptr<platform::IBleDevice>> targets;
        {
            std::lock_guard guard(m_listLock);
            for (const KVOBLEDeviceRecord& r : m_devices) {
                if (r.connected && r.device)
                    targets.push_back(r.device);
            }
        }
        for (const std::shared_ptr<platform::IBleDevice>& device : targets) {
            device->WriteValue(reinterpret_cast<const uint8_t*>(cmd->data.get()), static_cast<size_t>(cmd->dataLength),
                                 [](platform::BleCallStatus status) {
                                     // Heartbeats go out every second: only failures are told.
                                     if (status == platform::BleCallStatus::Completed)
                                         return;
                                     if (status == platform::BleCallStatus::Error)
                                         BleOut("Failed to send data.");
                                     else
                                         BleOut("Async operation failed.");
                                 });
        }
    }
    m_sendQueue.releaseObj(cmd);
    return true;
}

void KVOBLEDeviceManager::Stop()
{
    if (m_stopped.exchange(true))
        return;
    {
        std::lock_guard lock(m_stopLock);
        m_stopping = true;
    }
    m_stopSignal.notify_all();
    if (RingQueue* queue = m_recvQueue.load())
        RingQWake(queue);
    m_statusThread.Stop();
    StopWorker(&m_deviceThread, m_deviceQueue);
    StopWorker(&m_sendThread, m_sendQueue);
    std::vector<KVOBLEDeviceRecord> devices;
    {
        std::lock_guard guard(m_listLock);
        devices = std::move(m_devices);
        m_devices.clear();
    }
    for (KVOBLEDeviceRecord& record : devices)
        Disconnect(record);
}
