#include "FakeClock.h"

#include <thread>

void FakeClock::SleepMs(uint32_t ms)
{
    Advance(ms);
    // Give other threads a turn, as a real sleep would.
    std::this_thread::yield();
}
