#pragma once
// Inside the kernel guest: the event node of one of our own input devices, found by its name as
// any program on the desktop would find it.

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

// The event node of the input device with `name`; empty when none appears within 5 s.
inline std::string EventNodeNamed(const std::string& name)
{
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < giveUp) {
        for (const auto& entry : std::filesystem::directory_iterator("/sys/class/input")) {
            const std::string node = entry.path().filename().string();
            if (node.rfind("event", 0) != 0)
                continue;
            std::ifstream in(entry.path() / "device" / "name");
            std::string text;
            std::getline(in, text);
            if (text == name && std::filesystem::exists("/dev/input/" + node))
                return "/dev/input/" + node;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return {};
}
