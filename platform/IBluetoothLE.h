#pragma once
// The system's Bluetooth LE devices as the BLE link needs them: one enumeration call, and per
// device one GATT characteristic that notifies and takes writes. Every call blocks the calling
// worker for at most the time-out it is given; handlers run on a thread of the implementation.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

enum class BleCallStatus { Completed, TimedOut, Error };

struct BleDeviceEntry {
    std::string name;   // empty with nameKnown false when the system could not say
    bool nameKnown = true;
    std::string id;     // the system's id of the device; empty when it has none
    bool connected = false;
    bool paired = false;
};

struct BleEnumeration {
    BleCallStatus status = BleCallStatus::Error;
    uint32_t code = 0;      // the system's error code when status is Error
    std::string message;
    std::vector<BleDeviceEntry> devices;
};

enum class BleGattResult { Ok, ServiceNotFound, CharacteristicNotFound, Error };

constexpr uint32_t BLE_PROPERTY_NOTIFY = 0x10;

// Status of a finished write: Completed with success, Error when the device refused it,
// TimedOut when no answer came.
using BleWriteDone = std::function<void(BleCallStatus status)>;

class IBleDevice {
public:
    virtual ~IBleDevice() = default;
    virtual bool IsConnected() = 0;
    // Called with the new state whenever the system reports a change of the connection, and with
    // false when the system's Bluetooth service went away (every connection goes with it).
    virtual void SetConnectionHandler(std::function<void(bool connected)> handler) = 0;
    // Whether the system has discovered the device's GATT services since it connected: before,
    // OpenCharacteristic finds nothing.
    virtual bool ServicesResolved() = 0;
    // Finds the first service with `serviceUuid` and in it the first characteristic with
    // `characteristicUuid`; `error` gets the system's message on Error.
    virtual BleGattResult OpenCharacteristic(const std::string& serviceUuid, const std::string& characteristicUuid,
                                             std::string& error) = 0;
    // GATT property bits of the open characteristic (0x10 notify).
    virtual uint32_t CharacteristicProperties() = 0;
    // Opens or ends this program's own notification session on the characteristic, whatever
    // other programs hold; true when the system confirmed it. Ending a session that was never
    // opened does nothing and succeeds.
    virtual bool SetNotify(bool on, std::string& error) = 0;
    virtual void SetValueHandler(std::function<void(const uint8_t* data, size_t length)> handler) = 0;
    // Writes with response and returns at once; `done` runs on the implementation's thread.
    virtual void WriteValue(const uint8_t* data, size_t length, BleWriteDone done) = 0;
    // Removes both handlers, ends the notification session and lets the device go; no handler
    // runs once it returns, and it never waits for the system.
    virtual void Close() = 0;
};

class IBluetoothLE {
public:
    virtual ~IBluetoothLE() = default;
    // The Bluetooth LE devices the system knows, with their connection state.
    virtual BleEnumeration FindAll(int timeoutMs) = 0;
    // The device with `id`; null when there is none or the call failed (`error` says why).
    virtual std::unique_ptr<IBleDevice> FromId(const std::string& id, int timeoutMs, std::string& error) = 0;
};

// BlueZ on the system bus (DBUS_SYSTEM_BUS_ADDRESS or the standard socket), reconnected on the
// next call when the bus is missing. Needs a Qt application object for its handler thread.
std::unique_ptr<IBluetoothLE> CreateBlueZBluetoothLE();

} // namespace platform
