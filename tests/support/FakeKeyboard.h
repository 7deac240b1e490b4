#pragma once
// A keyboard that records every key event as "vk down"/"vk up" (with "+ext" for extended keys)
// and reports the keys the test holds; and a desktop launcher that records what it was asked to open.

#include "IDesktopLauncher.h"
#include "IKeyboard.h"

#include <mutex>
#include <set>
#include <utility>
#include <string>
#include <vector>

class FakeKeyboard final : public platform::IKeyboard {
public:
    void SendKey(int vk, bool up, bool extended) override
    {
        std::lock_guard lock(m_mutex);
        m_events.push_back(std::to_string(vk) + (up ? " up" : " down") + (extended ? "+ext" : ""));
    }
    bool IsKeyDown(int vk) override
    {
        std::lock_guard lock(m_mutex);
        return m_held.count(vk) != 0;
    }
    void Hold(std::set<int> keys)
    {
        std::lock_guard lock(m_mutex);
        m_held = std::move(keys);
    }
    std::vector<std::string> Take()
    {
        std::lock_guard lock(m_mutex);
        return std::exchange(m_events, {});
    }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_events;
    std::set<int> m_held;
};

class FakeDesktopLauncher final : public platform::IDesktopLauncher {
public:
    bool OpenUrl(const std::string& url) override { return opened.push_back(url), true; }
    bool OpenHomeFolder() override { return opened.push_back("~"), true; }
    std::vector<std::string> opened;
};
