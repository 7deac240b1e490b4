// Arbitrary bytes from the virtual remote's side of the socket: every read ends in a whole
// report or a clean failure, never a crash, an over-long copy or a hang.

#include "VirtualReceiverFraming.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 65536)
        return 0;
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0)
        return 0;
    // Large inputs go through in pieces so the writer never blocks on a full socket buffer.
    size_t sent = 0;
    bool open = true;
    while (open) {
        while (sent < size) {
            const ssize_t n = ::send(fds[1], data + sent, size - sent, MSG_DONTWAIT | MSG_NOSIGNAL);
            if (n <= 0)
                break;
            sent += static_cast<size_t>(n);
        }
        if (sent == size)
            ::shutdown(fds[1], SHUT_WR);
        uint8_t report[17];
        size_t length = 0;
        const platform::FrameReadResult r = platform::ReceiveVirtualFrame(fds[0], report, sizeof report, &length, 0);
        if (r == platform::FrameReadResult::Frame) {
            if (length == 0 || length > sizeof report)
                std::abort();
        } else if (r != platform::FrameReadResult::Timeout || sent == size) {
            open = false;
        }
    }
    ::close(fds[0]);
    ::close(fds[1]);
    return 0;
}
