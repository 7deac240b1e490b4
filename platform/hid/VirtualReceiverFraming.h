#pragma once
// The byte stream between the virtual receiver and the virtual remote. Each report travels as
// one frame: a 16-bit little-endian length, then that many report bytes (report id first).
// Input reports flow from the remote to the program, output reports the other way.
// A frame of length 0 or longer than kVirtualFrameMax is a protocol error: the stream is dead.

#include <cstddef>
#include <cstdint>

namespace platform {

class WakeFd;

constexpr size_t kVirtualFrameMax = 64;          // the largest full-speed HID report
constexpr int kVirtualFrameCompletionMs = 1000;  // a frame once begun must be complete by then

enum class FrameReadResult {
    Frame,      // a whole frame is in the buffer
    Timeout,    // nothing arrived in time
    Closed,     // the peer closed the stream between frames
    Truncated,  // the peer closed or stalled in the middle of a frame
    Malformed,  // a length of 0 or above kVirtualFrameMax
    Failed,     // the socket reported an error
};

// Writes one frame; false when the stream failed. Never raises SIGPIPE.
bool SendVirtualFrame(int fd, const uint8_t* data, size_t length);

// Waits up to `timeoutMs` (negative: no limit) for a frame to begin, then up to
// kVirtualFrameCompletionMs for the rest. Bytes beyond `capacity` are read and dropped;
// `length` receives the bytes stored. A signalled `wake` ends the wait for the frame's start
// like a time-out; a frame once begun is still read whole.
FrameReadResult ReceiveVirtualFrame(int fd, uint8_t* buffer, size_t capacity, size_t* length, int timeoutMs,
                                    WakeFd* wake = nullptr);

const char* FrameReadResultName(FrameReadResult result);

} // namespace platform
