#include "Event.h"

#include <chrono>

namespace platform {

Event::Event(bool manualReset, bool initiallySet) : m_manualReset(manualReset), m_set(initiallySet) {}

void Event::Set()
{
    {
        std::lock_guard lock(m_mutex);
        m_set = true;
    }
    // A manual-reset event releases every waiter, an auto-reset one exactly one.
    if (m_manualReset)
        m_cv.notify_all();
    else
        m_cv.notify_one();
}

void Event::Reset()
{
    std::lock_guard lock(m_mutex);
    m_set = false;
}

bool Event::IsSet() const
{
    std::lock_guard lock(m_mutex);
    return m_set;
}

bool Event::Wait(uint32_t timeoutMs)
{
    std::unique_lock lock(m_mutex);
    const auto isSet = [this] { return m_set; };
    if (timeoutMs == kInfinite)
        m_cv.wait(lock, isSet);
    else if (!m_cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), isSet))
        return false;
    if (!m_manualReset)
        m_set = false;
    return true;
}

} // namespace platform
