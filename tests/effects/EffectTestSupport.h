#pragma once
// What the effect tests share (the program's one QApplication comes with it): a skin folder holding the real
// effect skins, a fixed presentation screen, a compositor switch and an event pump.

#include "EffectServices.h"
#include "ICompositor.h"
#include "IScreenCapture.h"
#include "IPresentationScreen.h"
#include "TempDir.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

class FixedPresentationScreen final : public platform::IPresentationScreen {
public:
    explicit FixedPresentationScreen(platform::ScreenRect rect) : m_rect(rect) {}
    platform::ScreenRect Rect() const override { return m_rect; }

private:
    platform::ScreenRect m_rect;
};

class SwitchedCompositor final : public platform::ICompositor {
public:
    explicit SwitchedCompositor(bool running) : m_running(running) {}
    bool IsRunning() override { return m_running.load(); }
    void Set(bool running) { m_running = running; }

private:
    std::atomic<bool> m_running;
};

// A desktop of a fixed picture; counts its captures. `failing` makes every capture fail (no
// display to read), `onCapture` runs inside each capture, on the capturing thread.
class FakeScreenCapture final : public platform::IScreenCapture {
public:
    FakeScreenCapture(int width, int height, uint32_t argb);
    bool CaptureVirtualScreen(platform::CapturedScreen& out) override;
    // Paints a square of `argb` with its top-left corner at (x, y).
    void Square(int x, int y, int side, uint32_t argb);
    std::atomic<int> captures{0};
    std::atomic<bool> failing{false};
    std::function<void()> onCapture;

private:
    int m_width;
    int m_height;
    std::vector<uint32_t> m_pixels;
};

// Services over the test's screen, compositor and settings; a right-click stops nothing.
EffectServices TestServices(const platform::IPresentationScreen& screen, platform::ICompositor& compositor,
                            CConfigManager& config);

// A resource folder with SearchlightUI.xml and DigitalLaserUI.xml of the source tree, the
// marker picture and a solid laser picture of `laserArgb` (none when 0).
class EffectSkinFolder {
public:
    explicit EffectSkinFolder(unsigned int laserArgb = 0xFFFF0000u);
    ~EffectSkinFolder();
    std::string path() const { return m_dir.path().string(); }

private:
    TempDir m_dir;
};

// Runs the event loop until `done` holds or `limit` passes.
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::milliseconds(3000));
