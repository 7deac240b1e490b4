#pragma once
// Manual- or auto-reset event with an optional time limit on the wait.

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace platform {

class Event {
public:
    static constexpr uint32_t kInfinite = 0xFFFFFFFFu;

    explicit Event(bool manualReset = true, bool initiallySet = false);
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;
    // Waits until the event is set or `timeoutMs` passed; true when it was set.
    // An auto-reset event is cleared by the wait that sees it.
    bool Wait(uint32_t timeoutMs = kInfinite);

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    const bool m_manualReset;
    bool m_set;
};

} // namespace platform
