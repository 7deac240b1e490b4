#include "UinputDevice.h"

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

unsigned long CodeRequest(uint16_t type)
{
    switch (type) {
    case EV_KEY:
        return UI_SET_KEYBIT;
    case EV_REL:
        return UI_SET_RELBIT;
    default:
        return 0;
    }
}

} // namespace

std::unique_ptr<UinputDevice> UinputDevice::Create(const std::string& path, const char* name, uint16_t product,
                                                   const std::vector<Declaration>& declarations, int* error)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (error)
            *error = errno;
        return nullptr;
    }
    errno = 0;
    bool ok = ::ioctl(fd, UI_SET_EVBIT, EV_SYN) == 0;
    for (const auto& [type, codes] : declarations) {
        const unsigned long request = CodeRequest(type);
        ok = ok && request != 0 && ::ioctl(fd, UI_SET_EVBIT, type) == 0;
        for (int code : codes)
            ok = ok && ::ioctl(fd, request, code) == 0;
    }
    uinput_setup setup{};
    setup.id.bustype = BUS_VIRTUAL;
    setup.id.vendor = 0x25A7;
    setup.id.product = product;
    setup.id.version = 1;
    std::strncpy(setup.name, name, UINPUT_MAX_NAME_SIZE - 1);
    ok = ok && ::ioctl(fd, UI_DEV_SETUP, &setup) == 0 && ::ioctl(fd, UI_DEV_CREATE) == 0;
    if (!ok) {
        if (error)
            *error = errno ? errno : EIO;
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<UinputDevice>(new UinputDevice(fd));
}

UinputDevice::~UinputDevice()
{
    ::ioctl(m_fd, UI_DEV_DESTROY);
    ::close(m_fd);
}

bool UinputDevice::Report(std::initializer_list<InputEvent> events)
{
    bool ok = true;
    for (const InputEvent& event : events)
        ok = WriteEvent(m_fd, event.type, event.code, event.value) && ok;
    return WriteEvent(m_fd, EV_SYN, SYN_REPORT, 0) && ok;
}

} // namespace platform
