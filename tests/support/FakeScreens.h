#pragma once
// A monitor layout that a test sets by hand.

#include "IScreens.h"

#include <initializer_list>

class FakeScreens final : public platform::IScreens {
public:
    FakeScreens() = default;
    FakeScreens(std::initializer_list<platform::ScreenRect> monitors) : m_monitors(monitors) {}

    std::vector<platform::ScreenRect> Monitors() const override { return m_monitors; }
    void Set(std::vector<platform::ScreenRect> monitors) { m_monitors = std::move(monitors); }

private:
    std::vector<platform::ScreenRect> m_monitors;
};
