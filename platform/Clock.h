#pragma once
// The process-wide clock. Everything that measures time or waits on a threshold reads it,
// so tests can swap in a clock they advance by hand.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

namespace platform {

class IClock {
public:
    virtual ~IClock() = default;
    // Milliseconds since an arbitrary start, truncated to 32 bits (wraps after ~49 days).
    virtual uint32_t TickCount() = 0;
    // High-resolution milliseconds since an arbitrary start.
    virtual double HighResMs() = 0;
    virtual void SleepMs(uint32_t ms) = 0;
    // Sleeps up to `ms` with `lock` (the mutex of `cv`) released, and no longer once `done`
    // holds: a waker changes what `done` reads under that mutex, then notifies `cv`. True when
    // `done` held. This default checks `done` before and after a whole SleepMs, which is what a
    // clock that moves by hand needs.
    virtual bool SleepMsUnless(std::condition_variable& cv, std::unique_lock<std::mutex>& lock, uint32_t ms,
                               const std::function<bool()>& done)
    {
        (void)cv;
        if (done())
            return true;
        lock.unlock();
        SleepMs(ms);
        lock.lock();
        return done();
    }
};

// The clock in force: the steady system clock unless a test installed another one.
IClock& Clock();
// Installs a replacement clock; nullptr restores the system clock. The caller keeps ownership.
void SetClock(IClock* clock);

inline uint32_t GetTickCount() { return Clock().TickCount(); }
inline double HighResMs() { return Clock().HighResMs(); }
inline void Sleep(uint32_t ms) { Clock().SleepMs(ms); }

// Milliseconds elapsed from `since` to `now`, correct across the 32-bit wrap.
inline uint32_t TicksSince(uint32_t since, uint32_t now) { return now - since; }

} // namespace platform
