#include "UinputKeyboard.h"

#include "LinuxKeyCodes.h"

#include <fcntl.h>
#include <linux/uinput.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {
namespace {

bool WriteEvent(int fd, uint16_t type, uint16_t code, int32_t value)
{
    input_event event{};
    event.type = type;
    event.code = code;
    event.value = value;
    ssize_t n;
    do {
        n = ::write(fd, &event, sizeof event);
    } while (n < 0 && errno == EINTR);
    return n == static_cast<ssize_t>(sizeof event);
}

} // namespace

std::unique_ptr<UinputKeyboard> UinputKeyboard::Create(const std::string& path, int* error)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (error)
            *error = errno;
        return nullptr;
    }
    bool ok = ::ioctl(fd, UI_SET_EVBIT, EV_KEY) == 0 && ::ioctl(fd, UI_SET_EVBIT, EV_SYN) == 0;
    for (int code : AllLinuxKeyCodes())
        ok = ok && ::ioctl(fd, UI_SET_KEYBIT, code) == 0;
    uinput_setup setup{};
    setup.id.bustype = BUS_VIRTUAL;
    setup.id.vendor = 0x25A7;
    setup.id.product = 0xFF01;
    setup.id.version = 1;
    std::strncpy(setup.name, kDeviceName, UINPUT_MAX_NAME_SIZE - 1);
    ok = ok && ::ioctl(fd, UI_DEV_SETUP, &setup) == 0 && ::ioctl(fd, UI_DEV_CREATE) == 0;
    if (!ok) {
        if (error)
            *error = errno ? errno : EIO;
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<UinputKeyboard>(new UinputKeyboard(fd));
}

UinputKeyboard::~UinputKeyboard()
{
    {
        std::lock_guard lock(m_mutex);
        const std::set<int> held = m_down;
        for (int code : held)
            Emit(code, false);
    }
    ::ioctl(m_fd, UI_DEV_DESTROY);
    ::close(m_fd);
}

bool UinputKeyboard::Emit(int code, bool down)
{
    const bool ok = WriteEvent(m_fd, EV_KEY, static_cast<uint16_t>(code), down ? 1 : 0) &&
                    WriteEvent(m_fd, EV_SYN, SYN_REPORT, 0);
    if (down)
        m_down.insert(code);
    else
        m_down.erase(code);
    return ok;
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
    const int code = LinuxKeyCodeForVirtualKey(vk);
    {
        std::lock_guard lock(m_mutex);
        if (code >= 0 && m_down.count(code))
            return true;
        // Shift, Control and Alt without a side: either side.
        const auto sideDown = [&](int left, int right) { return m_down.count(left) || m_down.count(right); };
        if ((vk == 16 && sideDown(42, 54)) || (vk == 17 && sideDown(29, 97)) || (vk == 18 && sideDown(56, 100)))
            return true;
    }
    return m_liveState && m_liveState(vk);
}

} // namespace platform
