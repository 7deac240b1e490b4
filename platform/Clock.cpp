#include "Clock.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace platform {
namespace {

class SteadyClock final : public IClock {
public:
    uint32_t TickCount() override
    {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
        return static_cast<uint32_t>(ms.count());
    }
    double HighResMs() override
    {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    void SleepMs(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
    bool SleepMsUnless(std::condition_variable& cv, std::unique_lock<std::mutex>& lock, uint32_t ms,
                       const std::function<bool()>& done) override
    {
        return cv.wait_for(lock, std::chrono::milliseconds(ms), done);
    }
};

SteadyClock g_steadyClock;
std::atomic<IClock*> g_clock{&g_steadyClock};

} // namespace

IClock& Clock() { return *g_clock.load(std::memory_order_acquire); }

void SetClock(IClock* clock) { g_clock.store(clock ? clock : &g_steadyClock, std::memory_order_release); }

} // namespace platform
