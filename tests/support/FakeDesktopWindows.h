#pragma once
// The settings window, the foreground window and the presentation screen as the key handling sees
// them: calls counted, the screen set by the test.

#include "IForegroundWindow.h"
#include "IPresentationScreen.h"
#include "ISettingsWindow.h"

#include <atomic>

class FakeSettingsWindow final : public platform::ISettingsWindow {
public:
    void HideSettingsWindow() override { ++hides; }
    void ShowSettingsWindow() override { ++shows; }
    bool IsSettingsWindowVisible() const override { return visible; }
    std::atomic<int> hides{0};
    std::atomic<int> shows{0};
    std::atomic<bool> visible{false};
};

class FakeForegroundWindow final : public platform::IForegroundWindow {
public:
    bool GiveFocusBack() override { return ++focusCalls, hasWindow; }
    std::atomic<int> focusCalls{0};
    bool hasWindow = true;
};

class FakePresentationScreen final : public platform::IPresentationScreen {
public:
    platform::ScreenRect Rect() const override { return rect; }
    platform::ScreenRect rect;
};
