#pragma once
// The process-wide clock. Everything that measures time or waits on a threshold reads it,
// so tests can swap in a clock they advance by hand.

#include <cstdint>

namespace platform {

class IClock {
public:
    virtual ~IClock() = default;
    // Milliseconds since an arbitrary start, truncated to 32 bits (wraps after ~49 days).
    virtual uint32_t TickCount() = 0;
    // High-resolution milliseconds since an arbitrary start.
    virtual double HighResMs() = 0;
    virtual void SleepMs(uint32_t ms) = 0;
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
