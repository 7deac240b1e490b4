#include "UinputKeyboard.h"

#include "LinuxKeyCodes.h"

#include <linux/input.h>

namespace platform {

std::unique_ptr<UinputKeyboard> UinputKeyboard::Create(const std::string& path, int* error)
{
    auto device = UinputDevice::Create(path, kDeviceName, 0xFF01, {{EV_KEY, AllLinuxKeyCodes()}}, error);
    if (!device)
        return nullptr;
    return std::unique_ptr<UinputKeyboard>(new UinputKeyboard(std::move(device)));
}

UinputKeyboard::~UinputKeyboard()
{
    std::lock_guard lock(m_mutex);
    for (int code : m_held.Codes())
        Emit(code, false);
}

void UinputKeyboard::Emit(int code, bool down)
{
    m_device->Report({{EV_KEY, static_cast<uint16_t>(code), down ? 1 : 0}});
    m_held.Set(code, down);
}

void UinputKeyboard::SendKey(int vk, bool up, bool)
{
    const int code = LinuxKeyCodeForVirtualKey(vk);
    if (code < 0)
        return;
    std::lock_guard lock(m_mutex);
    Emit(code, !up);
}

bool UinputKeyboard::IsKeyDown(int vk)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_held.IsDown(vk))
            return true;
    }
    return m_liveState && m_liveState(vk);
}

} // namespace platform
