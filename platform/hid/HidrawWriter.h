#pragma once
// Writes output reports to a hidraw node with a bound on how long the caller waits. A hidraw
// write blocks in the kernel until the device takes the report: up to five seconds per report
// on USB, and no signal ends that wait. So the blocking write runs on a thread of its own, and
// the caller gives up after its limit; a write still in the kernel then finishes (or times out
// there) on its own while later writes are refused at once.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace platform {

class HidrawWriter {
public:
    // Writes to a duplicate of `fd`, which stays the caller's.
    explicit HidrawWriter(int fd);
    // Never waits for a write that is still in the kernel: its thread ends on its own after it.
    ~HidrawWriter();
    HidrawWriter(const HidrawWriter&) = delete;
    HidrawWriter& operator=(const HidrawWriter&) = delete;

    // Writes `length` bytes as one report. Returns the bytes written, or -1 with `error` set:
    // the write's errno, ETIMEDOUT when it was still in the kernel after `limitMs`, EBUSY when an
    // earlier write still is.
    int Write(const uint8_t* data, size_t length, int limitMs, int& error);

private:
    struct State;
    std::shared_ptr<State> m_state;
};

} // namespace platform
