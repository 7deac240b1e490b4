#pragma once
// What the kernel says a running process costs: per-thread and per-process CPU time from
// /proc/<pid>/stat, schedstat and status. Benchmarks read other processes this way so that their
// own loops never count.

#include <sys/types.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>

inline std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// utime + stime, in clock ticks, from the text of a stat file; nullopt when it cannot be read.
// For /proc/<pid>/stat this includes the threads that already ended.
inline std::optional<unsigned long long> StatTicks(const std::string& stat)
{
    // The command name may hold spaces and parentheses: the fields start after the last ')'.
    const size_t close = stat.rfind(')');
    if (stat.empty() || close == std::string::npos || close + 2 > stat.size())
        return std::nullopt;
    // After "(comm)": state is field 3; utime and stime are fields 14 and 15.
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    unsigned long long ticks = 0;
    int i = 3;
    for (; i <= 15 && fields >> field; ++i) {
        if (i == 14 || i == 15)
            ticks += std::strtoull(field.c_str(), nullptr, 10);
    }
    if (i <= 15)
        return std::nullopt;
    return ticks;
}

// Resident memory of a process in KiB (VmRSS), nullopt when it cannot be read.
inline std::optional<long> ResidentKiB(pid_t pid)
{
    std::istringstream status(ReadAll("/proc/" + std::to_string(pid) + "/status"));
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return std::nullopt;
}

// The whole process, ended threads included.
inline std::optional<unsigned long long> ProcessTicks(pid_t pid)
{
    return StatTicks(ReadAll("/proc/" + std::to_string(pid) + "/stat"));
}

struct ThreadSample {
    std::string name;
    unsigned long long ticks = 0;      // utime + stime, in clock ticks
    unsigned long long runNs = 0;      // time on the CPU from schedstat, 0 when unavailable
    unsigned long long voluntary = 0;  // voluntary context switches
};

inline std::optional<ThreadSample> SampleThread(const std::filesystem::path& task)
{
    ThreadSample s;
    const auto ticks = StatTicks(ReadAll(task / "stat"));
    if (!ticks)
        return std::nullopt;
    s.ticks = *ticks;
    std::istringstream status(ReadAll(task / "status"));
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("voluntary_ctxt_switches:", 0) == 0)
            s.voluntary = std::strtoull(line.c_str() + std::strlen("voluntary_ctxt_switches:"), nullptr, 10);
    }
    std::istringstream sched(ReadAll(task / "schedstat"));
    sched >> s.runNs;
    s.name = ReadAll(task / "comm");
    while (!s.name.empty() && (s.name.back() == '\n' || s.name.back() == ' '))
        s.name.pop_back();
    return s;
}

// The live threads of a process by thread id.
inline std::map<int, ThreadSample> SampleProcess(pid_t pid)
{
    std::map<int, ThreadSample> threads;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
        if (auto s = SampleThread(e.path()))
            threads[std::atoi(e.path().filename().c_str())] = *s;
    }
    return threads;
}
