#pragma once
// A relative pointer of our own, made with the kernel's uinput: its motion moves the desktop's
// real pointer on any desktop, Wayland ones included, as a mouse's does (with the desktop's
// pointer acceleration). It declares the three mouse buttons, without which the desktop does
// not take it for a mouse. Made once and kept for the program's life.

#include "UinputDevice.h"

#include <memory>
#include <mutex>
#include <string>

namespace platform {

class UinputPointer {
public:
    // The device's name, as input device listings show it.
    static constexpr const char* kDeviceName = "Orvelle virtual pointer";

    // Makes the device through `path` (normally /dev/uinput); null, with the errno-style reason
    // in `error` when given, when that cannot be opened or the device cannot be made.
    static std::unique_ptr<UinputPointer> Create(const std::string& path = "/dev/uinput", int* error = nullptr);

    // One motion report; nothing for (0, 0).
    void Move(int dx, int dy);

private:
    explicit UinputPointer(std::unique_ptr<UinputDevice> device) : m_device(std::move(device)) {}

    std::mutex m_mutex;
    const std::unique_ptr<UinputDevice> m_device;
};

} // namespace platform
