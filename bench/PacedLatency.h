#pragma once
// Shared by the latency benchmarks: events sent at a steady rate, the latency of each one
// collected, then reported as percentiles; and the process's own CPU time for idle figures.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <thread>
#include <vector>

// Calls `one(i)` for i from 0 to count - 1, one call every 1/rate seconds. `one` returns the
// event's latency in microseconds, or a negative value when the event was lost, which ends the
// run. Returns false when an event was lost.
template <typename One>
bool RunPaced(int count, int rate, std::vector<double>& latencyUs, One&& one)
{
    const auto period = std::chrono::nanoseconds(1'000'000'000LL / rate);
    auto next = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) {
        std::this_thread::sleep_until(next);
        next += period;
        const double us = one(i);
        if (us < 0)
            return false;
        latencyUs.push_back(us);
    }
    return true;
}

// p50, p99 and the maximum as counters, plus how many events they cover.
inline void ReportLatency(benchmark::State& state, std::vector<double>& latencyUs)
{
    if (latencyUs.empty())
        return;
    std::sort(latencyUs.begin(), latencyUs.end());
    const auto at = [&](double q) { return latencyUs[static_cast<size_t>(q * static_cast<double>(latencyUs.size() - 1))]; };
    state.counters["p50_us"] = at(0.50);
    state.counters["p99_us"] = at(0.99);
    state.counters["max_us"] = latencyUs.back();
    state.counters["reports"] = static_cast<double>(latencyUs.size());
}

inline double ProcessCpuSeconds()
{
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}
