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

UinputKeyboard::~UinputKeyboard() { ReleaseAll(); }

void UinputKeyboard::Press(int code, bool down)
{
    m_device->Report({{EV_KEY, static_cast<uint16_t>(code), down ? 1 : 0}});
}

} // namespace platform
