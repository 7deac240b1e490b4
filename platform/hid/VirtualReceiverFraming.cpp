#include "VirtualReceiverFraming.h"

#include "WakeFd.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace platform {
namespace {

// 1 readable, 0 timed out, -1 error.
int WaitReadable(int fd, int timeoutMs)
{
    pollfd p{fd, POLLIN, 0};
    for (;;) {
        const int r = ::poll(&p, 1, timeoutMs);
        if (r < 0 && errno == EINTR)
            continue;
        return r > 0 ? 1 : r;
    }
}

// Reads exactly `length` bytes before the deadline.
FrameReadResult ReadExactly(int fd, uint8_t* out, size_t length, std::chrono::steady_clock::time_point deadline)
{
    size_t got = 0;
    while (got < length) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        const int ready = WaitReadable(fd, static_cast<int>(std::max<int64_t>(0, left.count())));
        if (ready < 0)
            return FrameReadResult::Failed;
        if (ready == 0)
            return FrameReadResult::Truncated;
        const ssize_t n = ::recv(fd, out + got, length - got, 0);
        if (n == 0)
            return FrameReadResult::Truncated;
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return FrameReadResult::Failed;
        }
        got += static_cast<size_t>(n);
    }
    return FrameReadResult::Frame;
}

} // namespace

bool SendVirtualFrame(int fd, const uint8_t* data, size_t length)
{
    if (length == 0 || length > kVirtualFrameMax)
        return false;
    uint8_t frame[2 + kVirtualFrameMax];
    frame[0] = static_cast<uint8_t>(length & 0xFF);
    frame[1] = static_cast<uint8_t>(length >> 8);
    std::memcpy(frame + 2, data, length);
    size_t sent = 0;
    const size_t total = length + 2;
    while (sent < total) {
        const ssize_t n = ::send(fd, frame + sent, total - sent, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        sent += static_cast<size_t>(n);
    }
    return true;
}

FrameReadResult ReceiveVirtualFrame(int fd, uint8_t* buffer, size_t capacity, size_t* length, int timeoutMs,
                                    WakeFd* wake)
{
    *length = 0;
    const int ready = wake ? WaitReadableOrWoken(fd, *wake, timeoutMs) : WaitReadable(fd, timeoutMs);
    if (ready < 0)
        return FrameReadResult::Failed;
    if (ready == 0)
        return FrameReadResult::Timeout;

    uint8_t prefix[2];
    const ssize_t first = ::recv(fd, prefix, 1, 0);
    if (first == 0)
        return FrameReadResult::Closed;
    if (first < 0)
        return errno == EINTR || errno == EAGAIN ? FrameReadResult::Timeout : FrameReadResult::Failed;

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kVirtualFrameCompletionMs);
    FrameReadResult r = ReadExactly(fd, prefix + 1, 1, deadline);
    if (r != FrameReadResult::Frame)
        return r;
    const size_t frameLength = prefix[0] | (static_cast<size_t>(prefix[1]) << 8);
    if (frameLength == 0 || frameLength > kVirtualFrameMax)
        return FrameReadResult::Malformed;

    uint8_t frame[kVirtualFrameMax];
    r = ReadExactly(fd, frame, frameLength, deadline);
    if (r != FrameReadResult::Frame)
        return r;
    *length = std::min(frameLength, capacity);
    std::memcpy(buffer, frame, *length);
    return FrameReadResult::Frame;
}

const char* FrameReadResultName(FrameReadResult result)
{
    switch (result) {
    case FrameReadResult::Frame: return "frame";
    case FrameReadResult::Timeout: return "timeout";
    case FrameReadResult::Closed: return "closed";
    case FrameReadResult::Truncated: return "truncated frame";
    case FrameReadResult::Malformed: return "malformed length";
    case FrameReadResult::Failed: return "socket error";
    }
    return "?";
}

} // namespace platform
