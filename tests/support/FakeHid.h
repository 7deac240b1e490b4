#pragma once
// Test doubles of the HID layer: interfaces the test adds and removes, devices whose input
// reports the test queues and whose writes it reads back, and a monitor the test fires.

#include "IHidApi.h"

#include <cerrno>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

using Bytes = std::vector<uint8_t>;

// What one fake interface does; shared between the test and every device opened on it.
class FakeHidDeviceState {
public:
    explicit FakeHidDeviceState(size_t inputLength = platform::kReceiverInputReportLength,
                                size_t outputLength = platform::kReceiverOutputReportLength)
        : m_inputLength(inputLength), m_outputLength(outputLength)
    {
    }

    void PushInput(Bytes report);
    // Reads fail from now on, as when the device is pulled out.
    void Unplug();
    // The next `count` writes return `result` (0: accepted with nothing written, -1: refused).
    void FailWrites(int count, int result, int error = 5);
    Bytes::size_type InputLength() const { return m_inputLength; }
    Bytes::size_type OutputLength() const { return m_outputLength; }
    std::vector<Bytes> Writes() const;
    int WriteAttempts() const;
    // Runs on the writing thread at every write attempt, with the attempt's number (from 1).
    void OnWrite(std::function<void(int attempt)> hook);

    // A negative `timeoutMs` waits until a report, the unplug or a wake.
    int Read(uint8_t* buffer, size_t capacity, int timeoutMs);
    // Ends the read in progress, or else the next one, with 0.
    void WakeReader();
    // Reads that were ended by a wake.
    int WokenReads() const;
    int Write(const uint8_t* data, size_t length);
    int LastError() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<Bytes> m_inputs;
    bool m_unplugged = false;
    bool m_wakePending = false;
    int m_wokenReads = 0;
    std::vector<Bytes> m_writes;
    int m_writeAttempts = 0;
    std::function<void(int)> m_onWrite;
    int m_failWrites = 0;
    int m_failResult = -1;
    int m_failError = 0;
    int m_lastError = 0;
    const size_t m_inputLength;
    const size_t m_outputLength;
};

class FakeHidApi final : public platform::IHidApi {
public:
    // Adds one enumeration entry. Entries with the same path are one interface.
    std::shared_ptr<FakeHidDeviceState> AddInterface(platform::HidInterfaceInfo info, std::string container = {},
                                                     std::shared_ptr<FakeHidDeviceState> state = nullptr);
    void RemoveInterface(const std::string& path);
    // An interface that cannot be opened fails with `error`.
    void SetOpenable(const std::string& path, bool openable, int error = EACCES);
    int OpenCount(const std::string& path) const;
    int EnumerateCount() const;

    std::vector<platform::HidInterfaceInfo> Enumerate(uint16_t vendorId) override;
    std::unique_ptr<platform::IHidDevice> Open(const std::string& path, int* error = nullptr) override;
    std::string ContainerId(const std::string& path) override;

private:
    mutable std::mutex m_mutex;
    std::vector<platform::HidInterfaceInfo> m_entries;
    std::map<std::string, std::shared_ptr<FakeHidDeviceState>> m_states;
    std::map<std::string, std::string> m_containers;
    std::map<std::string, bool> m_openable;
    std::map<std::string, int> m_openErrors;
    std::map<std::string, int> m_opens;
    int m_enumerations = 0;
};

class FakeHidMonitor final : public platform::IHidMonitor {
public:
    explicit FakeHidMonitor(bool available = true) : m_available(available) {}
    bool Start(platform::HidEventCallback callback) override;
    void Stop() override;
    void Fire(platform::HidEvent event, const std::string& path);
    bool Started() const { return m_started; }

private:
    bool m_available;
    bool m_started = false;
    platform::HidEventCallback m_callback;
};

// An enumeration entry of the receiver's vendor.
platform::HidInterfaceInfo ReceiverInterface(uint16_t productId, const std::string& path, uint16_t usagePage = 0xFF01,
                                             uint16_t usage = 0);
