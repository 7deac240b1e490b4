#pragma once
// Key events through a virtual keyboard of our own, made with the kernel's uinput: the events
// come from a real input device, so they reach every program of any desktop, native Wayland
// ones included, as typed keys do. The device is made once and kept for the program's life.
// Keys are named by position (see LinuxKeyCodes.h).

#include "HeldKeys.h"
#include "IKeyboard.h"
#include "UinputDevice.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace platform {

class UinputKeyboard final : public IKeyboard {
public:
    // The device's name, as input device listings show it.
    static constexpr const char* kDeviceName = "Orvelle virtual keyboard";

    // Makes the device through `path` (normally /dev/uinput); null, with the errno-style reason
    // in `error` when given, when that cannot be opened or the device cannot be made.
    static std::unique_ptr<UinputKeyboard> Create(const std::string& path = "/dev/uinput", int* error = nullptr);
    // Releases every key still held, then removes the device.
    ~UinputKeyboard() override;
    UinputKeyboard(const UinputKeyboard&) = delete;
    UinputKeyboard& operator=(const UinputKeyboard&) = delete;

    void SendKey(int vk, bool up, bool extended) override;
    // The keys this device holds down; where `liveState` was given, also what it says (the
    // desktop's view of every keyboard).
    bool IsKeyDown(int vk) override;
    void SetLiveState(std::function<bool(int vk)> liveState) { m_liveState = std::move(liveState); }

private:
    explicit UinputKeyboard(std::unique_ptr<UinputDevice> device) : m_device(std::move(device)) {}
    // One key event and its report; under m_mutex.
    void Emit(int code, bool down);

    const std::unique_ptr<UinputDevice> m_device;
    std::mutex m_mutex;
    HeldKeys m_held;  // guarded by m_mutex
    std::function<bool(int vk)> m_liveState;
};

} // namespace platform
