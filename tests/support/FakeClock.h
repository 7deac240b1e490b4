#pragma once
// A clock that moves only when the test says so. Sleeping on it advances it.

#include "Clock.h"

#include <atomic>

class FakeClock final : public platform::IClock {
public:
    explicit FakeClock(uint32_t startTicks = 1000) : m_nowUs(static_cast<uint64_t>(startTicks) * 1000) {}

    uint32_t TickCount() override { return static_cast<uint32_t>(m_nowUs.load() / 1000); }
    double HighResMs() override { return static_cast<double>(m_nowUs.load()) / 1000.0; }
    void SleepMs(uint32_t ms) override;

    void Advance(uint32_t ms) { m_nowUs += static_cast<uint64_t>(ms) * 1000; }
    void SetTicks(uint32_t ticks) { m_nowUs = static_cast<uint64_t>(ticks) * 1000; }

private:
    std::atomic<uint64_t> m_nowUs;
};

// Installs a fake clock for the lifetime of the scope.
class ScopedFakeClock {
public:
    explicit ScopedFakeClock(uint32_t startTicks = 1000) : clock(startTicks) { platform::SetClock(&clock); }
    ~ScopedFakeClock() { platform::SetClock(nullptr); }
    ScopedFakeClock(const ScopedFakeClock&) = delete;
    ScopedFakeClock& operator=(const ScopedFakeClock&) = delete;
    FakeClock clock;
};
