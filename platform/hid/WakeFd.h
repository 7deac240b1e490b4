#pragma once
// A descriptor that another thread makes readable, so that a thread blocked in poll() on a
// device can be woken without a time limit on its wait. Wakes add up until Drain.

namespace platform {

class WakeFd {
public:
    WakeFd();
    ~WakeFd();
    WakeFd(const WakeFd&) = delete;
    WakeFd& operator=(const WakeFd&) = delete;

    // -1 when the descriptor could not be created.
    int Fd() const { return m_fd; }
    // Any thread, any number of times.
    void Signal();
    // Clears the readiness; true when a wake was pending.
    bool Drain();

private:
    int m_fd;
};

// Waits until `fd` is readable, `wake` is signalled or `timeoutMs` passed (negative: no limit).
// 1 readable, 0 timed out or woken (the wake is consumed), -1 poll failed or the descriptor
// reports an error or hang-up with nothing left to read.
int WaitReadableOrWoken(int fd, WakeFd& wake, int timeoutMs);

} // namespace platform
