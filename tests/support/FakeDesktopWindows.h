#pragma once
// The settings window and the foreground window as seen by the key handling: each call counted.

#include "IForegroundWindow.h"
#include "ISettingsWindow.h"

#include <atomic>

class FakeSettingsWindow final : public platform::ISettingsWindow {
public:
    void HideSettingsWindow() override { ++hides; }
    void ShowSettingsWindow() override { ++shows; }
    std::atomic<int> hides{0};
    std::atomic<int> shows{0};
};

class FakeForegroundWindow final : public platform::IForegroundWindow {
public:
    bool GiveFocusBack() override { return ++focusCalls, hasWindow; }
    std::atomic<int> focusCalls{0};
    bool hasWindow = true;
};
