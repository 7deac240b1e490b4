#pragma once
// A cursor that stays where the test or the code under test puts it, and counts moves and hides.

#include "ICursor.h"

#include <mutex>

class FakeCursor final : public platform::ICursor {
public:
    explicit FakeCursor(platform::CursorPoint at = {}) : m_pos(at) {}

    platform::CursorPoint GetPos() const override { return Locked([&] { return m_pos; }); }
    void SetPos(platform::CursorPoint point) override { Locked([&] { m_pos = point, ++m_setCount; }); }
    void Hide() override { Locked([&] { ++m_hidden; }); }
    void Show() override { Locked([&] { --m_hidden; }); }

    // Places the cursor as the user would, without counting a move.
    void Place(platform::CursorPoint point) { Locked([&] { m_pos = point; }); }
    int SetCount() const { return Locked([&] { return m_setCount; }); }
    int HiddenDepth() const { return Locked([&] { return m_hidden; }); }
    int HideCount() const override { return HiddenDepth(); }

private:
    template <class F>
    auto Locked(F f) const -> decltype(f())
    {
        std::lock_guard lock(m_mutex);
        return f();
    }

    mutable std::mutex m_mutex;
    platform::CursorPoint m_pos;
    int m_setCount = 0;
    int m_hidden = 0;
};
