#pragma once
// A monitor layout that a test changes while a link thread reads it.

#include "IScreens.h"

#include <mutex>

class LockedScreens final : public platform::IScreens {
public:
    explicit LockedScreens(std::vector<platform::ScreenRect> monitors = {}) : m_monitors(std::move(monitors)) {}
    std::vector<platform::ScreenRect> Monitors() const override
    {
        std::lock_guard lock(m_mutex);
        return m_monitors;
    }
    void Set(std::vector<platform::ScreenRect> monitors)
    {
        std::lock_guard lock(m_mutex);
        m_monitors = std::move(monitors);
    }

private:
    mutable std::mutex m_mutex;
    std::vector<platform::ScreenRect> m_monitors;
};
