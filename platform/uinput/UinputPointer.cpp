#include "UinputPointer.h"

#include <linux/input.h>

namespace platform {

std::unique_ptr<UinputPointer> UinputPointer::Create(const std::string& path, int* error)
{
    auto device = UinputDevice::Create(path, kDeviceName, 0xFF02,
                                       {{EV_REL, {REL_X, REL_Y}}, {EV_KEY, {BTN_LEFT, BTN_RIGHT, BTN_MIDDLE}}}, error);
    if (!device)
        return nullptr;
    return std::unique_ptr<UinputPointer>(new UinputPointer(std::move(device)));
}

void UinputPointer::Move(int dx, int dy)
{
    if (dx == 0 && dy == 0)
        return;
    std::lock_guard lock(m_mutex);
    m_device->Report({{EV_REL, REL_X, dx}, {EV_REL, REL_Y, dy}});
}

} // namespace platform
