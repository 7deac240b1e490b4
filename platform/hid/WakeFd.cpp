#include "WakeFd.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>

namespace platform {

WakeFd::WakeFd() : m_fd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

WakeFd::~WakeFd()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void WakeFd::Signal()
{
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_fd, &one, sizeof one);
}

bool WakeFd::Drain()
{
    uint64_t value = 0;
    return ::read(m_fd, &value, sizeof value) == static_cast<ssize_t>(sizeof value) && value > 0;
}

int WaitReadableOrWoken(int fd, WakeFd& wake, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {wake.Fd(), POLLIN, 0}};
        int wait = -1;
        if (timeoutMs >= 0) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            wait = left.count() > 0 ? static_cast<int>(left.count()) : 0;
        }
        const int r = ::poll(fds, wake.Fd() >= 0 ? 2 : 1, wait);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (r == 0)
            return 0;
        // A report already there is read before a wake is honoured: it would otherwise be
        // left for the next reader.
        if (fds[0].revents & POLLIN)
            return 1;
        if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) {
            errno = (fds[0].revents & POLLNVAL) ? EBADF : ENODEV;
            return -1;
        }
        if (fds[1].revents & POLLIN) {
            wake.Drain();
            return 0;
        }
    }
}

} // namespace platform
