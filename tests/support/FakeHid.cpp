#include "FakeHid.h"

#include <algorithm>
#include <chrono>
#include <cstring>

void FakeHidDeviceState::PushInput(Bytes report)
{
    {
        std::lock_guard lock(m_mutex);
        m_inputs.push_back(std::move(report));
    }
    m_cv.notify_all();
}

void FakeHidDeviceState::Unplug()
{
    {
        std::lock_guard lock(m_mutex);
        m_unplugged = true;
    }
    m_cv.notify_all();
}

void FakeHidDeviceState::FailWrites(int count, int result, int error)
{
    std::lock_guard lock(m_mutex);
    m_failWrites = count;
    m_failResult = result;
    m_failError = error;
}

std::vector<Bytes> FakeHidDeviceState::Writes() const
{
    std::lock_guard lock(m_mutex);
    return m_writes;
}

int FakeHidDeviceState::WriteAttempts() const
{
    std::lock_guard lock(m_mutex);
    return m_writeAttempts;
}

void FakeHidDeviceState::OnWrite(std::function<void(int attempt)> hook)
{
    std::lock_guard lock(m_mutex);
    m_onWrite = std::move(hook);
}

void FakeHidDeviceState::WakeReader()
{
    {
        std::lock_guard lock(m_mutex);
        m_wakePending = true;
    }
    m_cv.notify_all();
}

int FakeHidDeviceState::WokenReads() const
{
    std::lock_guard lock(m_mutex);
    return m_wokenReads;
}

int FakeHidDeviceState::Read(uint8_t* buffer, size_t capacity, int timeoutMs)
{
    std::unique_lock lock(m_mutex);
    const auto ready = [&] { return m_unplugged || m_wakePending || !m_inputs.empty(); };
    if (timeoutMs < 0)
        m_cv.wait(lock, ready);
    else
        m_cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
    if (!m_inputs.empty()) {
        Bytes report = std::move(m_inputs.front());
        m_inputs.pop_front();
        const size_t n = std::min(report.size(), capacity);
        std::memcpy(buffer, report.data(), n);
        return static_cast<int>(n);
    }
    if (m_unplugged) {
        m_lastError = 19;
        return -1;
    }
    if (m_wakePending) {
        m_wakePending = false;
        ++m_wokenReads;
    }
    return 0;
}

int FakeHidDeviceState::Write(const uint8_t* data, size_t length)
{
    std::function<void(int)> hook;
    int attempt = 0;
    {
        std::lock_guard lock(m_mutex);
        hook = m_onWrite;
        attempt = ++m_writeAttempts;
    }
    if (hook)
        hook(attempt);
    std::lock_guard lock(m_mutex);
    if (m_failWrites > 0) {
        --m_failWrites;
        m_lastError = m_failError;
        return m_failResult;
    }
    if (m_unplugged) {
        m_lastError = 19;
        return -1;
    }
    Bytes report(data, data + length);
    if (report.size() < m_outputLength)
        report.resize(m_outputLength, 0);
    m_writes.push_back(std::move(report));
    return static_cast<int>(std::max(length, m_outputLength));
}

int FakeHidDeviceState::LastError() const
{
    std::lock_guard lock(m_mutex);
    return m_lastError;
}

namespace {

class FakeHidDevice final : public platform::IHidDevice {
public:
    explicit FakeHidDevice(std::shared_ptr<FakeHidDeviceState> state) : m_state(std::move(state)) {}
    int ReadReport(uint8_t* buffer, size_t capacity, int timeoutMs) override
    {
        return m_state->Read(buffer, capacity, timeoutMs);
    }
    void WakeReader() override { m_state->WakeReader(); }
    int WriteReport(const uint8_t* data, size_t length) override { return m_state->Write(data, length); }
    size_t InputReportLength() const override { return m_state->InputLength(); }
    size_t OutputReportLength() const override { return m_state->OutputLength(); }
    int LastError() const override { return m_state->LastError(); }

private:
    std::shared_ptr<FakeHidDeviceState> m_state;
};

} // namespace

std::shared_ptr<FakeHidDeviceState> FakeHidApi::AddInterface(platform::HidInterfaceInfo info, std::string container,
                                                             std::shared_ptr<FakeHidDeviceState> state)
{
    std::lock_guard lock(m_mutex);
    auto& slot = m_states[info.path];
    if (state)
        slot = std::move(state);
    else if (!slot)
        slot = std::make_shared<FakeHidDeviceState>();
    m_containers[info.path] = container;
    m_entries.push_back(std::move(info));
    return slot;
}

void FakeHidApi::RemoveInterface(const std::string& path)
{
    std::lock_guard lock(m_mutex);
    std::erase_if(m_entries, [&](const platform::HidInterfaceInfo& e) { return e.path == path; });
    m_containers.erase(path);
}

void FakeHidApi::SetOpenable(const std::string& path, bool openable, int error)
{
    std::lock_guard lock(m_mutex);
    m_openable[path] = openable;
    m_openErrors[path] = error;
}

int FakeHidApi::OpenCount(const std::string& path) const
{
    std::lock_guard lock(m_mutex);
    const auto it = m_opens.find(path);
    return it == m_opens.end() ? 0 : it->second;
}

int FakeHidApi::EnumerateCount() const
{
    std::lock_guard lock(m_mutex);
    return m_enumerations;
}

std::vector<platform::HidInterfaceInfo> FakeHidApi::Enumerate(uint16_t vendorId)
{
    std::lock_guard lock(m_mutex);
    ++m_enumerations;
    std::vector<platform::HidInterfaceInfo> out;
    for (const auto& e : m_entries) {
        if (vendorId == 0 || e.vendorId == vendorId)
            out.push_back(e);
    }
    return out;
}

std::unique_ptr<platform::IHidDevice> FakeHidApi::Open(const std::string& path, int* error)
{
    std::lock_guard lock(m_mutex);
    const bool present = std::any_of(m_entries.begin(), m_entries.end(), [&](const auto& e) { return e.path == path; });
    const auto openable = m_openable.find(path);
    if (!present || (openable != m_openable.end() && !openable->second)) {
        if (error)
            *error = present ? m_openErrors[path] : ENOENT;
        return nullptr;
    }
    ++m_opens[path];
    return std::make_unique<FakeHidDevice>(m_states[path]);
}

std::string FakeHidApi::ContainerId(const std::string& path)
{
    std::lock_guard lock(m_mutex);
    const auto it = m_containers.find(path);
    return it == m_containers.end() ? std::string() : it->second;
}

bool FakeHidMonitor::Start(platform::HidEventCallback callback)
{
    m_callback = std::move(callback);
    m_started = true;
    return m_available;
}

void FakeHidMonitor::Stop() { m_started = false; }

void FakeHidMonitor::Fire(platform::HidEvent event, const std::string& path)
{
    if (m_started && m_callback)
        m_callback(event, path);
}

platform::HidInterfaceInfo ReceiverInterface(uint16_t productId, const std::string& path, uint16_t usagePage, uint16_t usage)
{
    platform::HidInterfaceInfo info;
    info.vendorId = 0x25A7;
    info.productId = productId;
    info.usagePage = usagePage;
    info.usage = usage;
    info.path = path;
    info.product = "Receiver";
    info.manufacturer = "Maker";
    return info;
}
