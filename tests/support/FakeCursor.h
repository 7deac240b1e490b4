#pragma once
// A cursor that stays where the test or the code under test puts it, and counts moves and hides.

#include "ICursor.h"

#include <mutex>

class FakeCursor final : public platform::ICursor {
public:
    explicit FakeCursor(platform::CursorPoint at = {}) : m_pos(at) {}

    platform::CursorPoint GetPos() const override
    {
        std::lock_guard lock(m_mutex);
        return m_pos;
    }
    void SetPos(platform::CursorPoint point) override
    {
        std::lock_guard lock(m_mutex);
        m_pos = point;
        ++m_setCount;
    }
    void Hide() override
    {
        std::lock_guard lock(m_mutex);
        ++m_hidden;
    }
    void Show() override
    {
        std::lock_guard lock(m_mutex);
        --m_hidden;
    }

    // Places the cursor as the user would, without counting a move.
    void Place(platform::CursorPoint point)
    {
        std::lock_guard lock(m_mutex);
        m_pos = point;
    }
    int SetCount() const
    {
        std::lock_guard lock(m_mutex);
        return m_setCount;
    }
    int HiddenDepth() const
    {
        std::lock_guard lock(m_mutex);
        return m_hidden;
    }

private:
    mutable std::mutex m_mutex;
    platform::CursorPoint m_pos;
    int m_setCount = 0;
    int m_hidden = 0;
};
