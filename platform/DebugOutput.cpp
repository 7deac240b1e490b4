#include "DebugOutput.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform {
namespace {

bool EnabledFromEnvironment()
{
    const char* value = std::getenv("ORVELLE_DEBUG_OUTPUT");
    return value && *value && std::strcmp(value, "0") != 0;
}

std::atomic<bool> g_enabled{EnabledFromEnvironment()};
std::atomic<DebugOutputTap> g_tap{nullptr};

} // namespace

bool DebugOutputEnabled()
{
    return g_enabled.load(std::memory_order_relaxed) || g_tap.load(std::memory_order_relaxed) != nullptr;
}

void SetDebugOutputEnabled(bool enabled) { g_enabled.store(enabled, std::memory_order_relaxed); }

void SetDebugOutputTap(DebugOutputTap tap) { g_tap.store(tap, std::memory_order_release); }

void DebugOutput(std::string_view text)
{
    if (DebugOutputTap tap = g_tap.load(std::memory_order_acquire))
        tap(text);
    if (!g_enabled.load(std::memory_order_relaxed))
        return;
    // One fwrite per call keeps lines from different threads whole.
    std::fwrite(text.data(), 1, text.size(), stderr);
}

} // namespace platform
