#pragma once
// A Bluetooth LE system the test scripts: a device table that FindAll reports, and per device
// the characteristic's state, the handlers the link installed and the bytes written to it.

#include "IBluetoothLE.h"

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

struct FakeBleRemote {
    std::mutex lock;
    bool connected = true;
    bool servicesResolved = true;
    bool hasService = true;
    bool hasCharacteristic = true;
    uint32_t properties = platform::BLE_PROPERTY_NOTIFY | 0x08;
    bool notifying = false;
    int closes = 0;
    std::function<void(bool)> connection;
    std::function<void(const uint8_t*, size_t)> value;
    std::vector<std::vector<uint8_t>> writes;
    // While set, WriteValue blocks its caller, as a slow system call would.
    bool holdWrites = false;
    std::condition_variable released;

    void Notify(std::vector<uint8_t> bytes)
    {
        std::function<void(const uint8_t*, size_t)> handler;
        {
            std::lock_guard guard(lock);
            handler = value;
        }
        if (handler)
            handler(bytes.data(), bytes.size());
    }
    void Drop()
    {
        std::function<void(bool)> handler;
        {
            std::lock_guard guard(lock);
            connected = false;
            handler = connection;
        }
        if (handler)
            handler(false);
    }
    void ReleaseWrites()
    {
        std::lock_guard guard(lock);
        holdWrites = false;
        released.notify_all();
    }
    int Closes()
    {
        std::lock_guard guard(lock);
        return closes;
    }
    void SetHasService(bool has)
    {
        std::lock_guard guard(lock);
        hasService = has;
    }
    size_t Writes()
    {
        std::lock_guard guard(lock);
        return writes.size();
    }
};

class FakeBleDevice final : public platform::IBleDevice {
public:
    explicit FakeBleDevice(std::shared_ptr<FakeBleRemote> remote) : m_remote(std::move(remote)) {}
    bool IsConnected() override
    {
        std::lock_guard guard(m_remote->lock);
        return m_remote->connected;
    }
    bool ServicesResolved() override
    {
        std::lock_guard guard(m_remote->lock);
        return m_remote->servicesResolved;
    }
    void SetConnectionHandler(std::function<void(bool)> handler) override
    {
        std::lock_guard guard(m_remote->lock);
        m_remote->connection = std::move(handler);
    }
    platform::BleGattResult OpenCharacteristic(const std::string&, const std::string&, std::string&) override
    {
        std::lock_guard guard(m_remote->lock);
        // The system lists GATT objects only once they are discovered.
        if (!m_remote->hasService || !m_remote->servicesResolved)
            return platform::BleGattResult::ServiceNotFound;
        return m_remote->hasCharacteristic ? platform::BleGattResult::Ok : platform::BleGattResult::CharacteristicNotFound;
    }
    uint32_t CharacteristicProperties() override
    {
        std::lock_guard guard(m_remote->lock);
        return m_remote->properties;
    }
    bool SetNotify(bool on, std::string&) override
    {
        std::lock_guard guard(m_remote->lock);
        m_remote->notifying = on;
        return true;
    }
    void SetValueHandler(std::function<void(const uint8_t*, size_t)> handler) override
    {
        std::lock_guard guard(m_remote->lock);
        m_remote->value = std::move(handler);
    }
    void WriteValue(const uint8_t* data, size_t length, platform::BleWriteDone done) override
    {
        {
            std::unique_lock guard(m_remote->lock);
            m_remote->released.wait(guard, [&] { return !m_remote->holdWrites; });
            m_remote->writes.emplace_back(data, data + length);
        }
        done(platform::BleCallStatus::Completed);
    }
    void Close() override
    {
        std::lock_guard guard(m_remote->lock);
        m_remote->connection = nullptr;
        m_remote->value = nullptr;
        m_remote->notifying = false;
        ++m_remote->closes;
    }

private:
    std::shared_ptr<FakeBleRemote> m_remote;
};

class FakeBluetoothLE final : public platform::IBluetoothLE {
public:
    std::shared_ptr<FakeBleRemote> Add(const std::string& id, const std::string& name, bool connected = true,
                                       bool paired = false)
    {
        std::lock_guard guard(m_lock);
        auto remote = std::make_shared<FakeBleRemote>();
        remote->connected = connected;
        m_entries.push_back({name, true, id, connected, paired});
        m_remotes[id] = remote;
        return remote;
    }
    void Remove(const std::string& id)
    {
        std::lock_guard guard(m_lock);
        std::erase_if(m_entries, [&](const platform::BleDeviceEntry& e) { return e.id == id; });
    }
    void HoldFindAll(bool hold)
    {
        std::lock_guard guard(m_lock);
        m_hold = hold;
        m_released.notify_all();
    }
    int FindAllCalls()
    {
        std::lock_guard guard(m_lock);
        return m_calls;
    }
    int FromIdCalls()
    {
        std::lock_guard guard(m_lock);
        return m_fromIdCalls;
    }
    // While set, FindAll fails as a system without its Bluetooth service would.
    void Fail(bool fail)
    {
        std::lock_guard guard(m_lock);
        m_fail = fail;
    }

    platform::BleEnumeration FindAll(int) override
    {
        std::unique_lock guard(m_lock);
        ++m_calls;
        m_released.wait(guard, [this] { return !m_hold; });
        platform::BleEnumeration result;
        if (m_fail) {
            result.code = 2;
            result.message = "org.freedesktop.DBus.Error.ServiceUnknown";
            return result;
        }
        result.status = platform::BleCallStatus::Completed;
        result.devices = m_entries;
        // The connection as the remote has it now, whether or not a handler was told.
        for (platform::BleDeviceEntry& entry : result.devices) {
            std::lock_guard remoteGuard(m_remotes[entry.id]->lock);
            entry.connected = m_remotes[entry.id]->connected;
        }
        return result;
    }
    std::unique_ptr<platform::IBleDevice> FromId(const std::string& id, int, std::string&) override
    {
        std::lock_guard guard(m_lock);
        ++m_fromIdCalls;
        const auto it = m_remotes.find(id);
        return it == m_remotes.end() ? nullptr : std::make_unique<FakeBleDevice>(it->second);
    }

private:
    std::mutex m_lock;
    std::condition_variable m_released;
    bool m_hold = false;
    bool m_fail = false;
    int m_calls = 0;
    int m_fromIdCalls = 0;
    std::vector<platform::BleDeviceEntry> m_entries;
    std::map<std::string, std::shared_ptr<FakeBleRemote>> m_remotes;
};
