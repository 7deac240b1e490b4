#pragma once
// Records the key-and-motion events the motion thread hands on.

#include "KVOCursorMotion.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

struct KeyCall {
    bool mouse;
    int key;
    int button;
    int dx;
    int dy;
    bool operator==(const KeyCall&) const = default;
};

class RecordingKeyHandler final : public IKVOKeyHandler {
public:
    void DealWithPresenterKeyValue(uint8_t key, int dx, int dy) override { Add({false, key, 0, dx, dy}); }
    void DealWithMouseKeyValue(uint8_t key, uint8_t button, int dx, int dy) override { Add({true, key, button, dx, dy}); }

    // Waits (up to a limit that only guards against a hang) until `count` calls came.
    std::vector<KeyCall> WaitFor(size_t count, std::chrono::milliseconds limit = std::chrono::seconds(10))
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, limit, [&] { return m_calls.size() >= count; });
        return m_calls;
    }
    std::vector<KeyCall> Calls()
    {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }

private:
    void Add(KeyCall call)
    {
        {
            std::lock_guard lock(m_mutex);
            m_calls.push_back(call);
        }
        m_changed.notify_all();
    }
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<KeyCall> m_calls;
};
