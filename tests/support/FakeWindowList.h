#pragma once
// A desktop whose windows, foreground window and activations the test sets and reads.

#include "IWindowList.h"

#include <mutex>

class FakeWindowList final : public platform::IWindowList {
public:
    std::vector<platform::DesktopWindow> Windows() override { return Locked([&] { return windows; }); }
    std::optional<platform::DesktopWindow> Foreground() override
    {
        return Locked([&]() -> std::optional<platform::DesktopWindow> {
            for (const auto& w : windows) {
                if (w.handle == foreground)
                    return w;
            }
            return std::nullopt;
        });
    }
    bool Activate(unsigned long handle) override { return Locked([&] { return activated.push_back(handle), true; }); }
    bool SeesEveryWindow() const override { return seesEveryWindow; }

    std::vector<platform::DesktopWindow> windows;
    unsigned long foreground = 0;
    std::vector<unsigned long> activated;
    bool seesEveryWindow = true;

private:
    template <class F>
    auto Locked(F f) -> decltype(f())
    {
        std::lock_guard lock(m_mutex);
        return f();
    }
    std::mutex m_mutex;
};
