#pragma once
// What the on-screen effects need from the rest of the program. The program fills in what it
// has; the function manager's parts default to the process-wide one (ControllerSet).

#include "IPresenterFunction.h"

#include <atomic>
#include <functional>
#include <memory>

class CConfigManager;
namespace platform {
class ICompositor;
class IPresentationScreen;
class IOverlaySurfaces;
class IScreenCapture;
} // namespace platform

struct EffectServices {
    // Where the effects appear. Required; it must outlive the effects.
    const platform::IPresentationScreen* screen = nullptr;
    // Asked at every show. Null: no compositing manager (shaped windows).
    platform::ICompositor* compositor = nullptr;
    // The frozen pictures of the pen and the magnifier. Null: they freeze nothing (black).
    platform::IScreenCapture* capture = nullptr;
    // The compositor's overlay surfaces, where the effects draw instead of showing windows. Null:
    // windows (X11, or XWayland). Must outlive the effects.
    platform::IOverlaySurfaces* overlays = nullptr;
    // Null: the process-wide settings object.
    CConfigManager* config = nullptr;
    // Forced stop of the current function (right-button release on an effect window).
    std::function<void()> stopFunction;
    // The effect point the function manager keeps.
    std::function<EffectPoint()> effectPoint;
    // Shows the language text of [section] key to the user. Null: the program's message window.
    std::function<void(const char* section, const char* key)> tellUser;
    // Shared by every copy of these services: the user has been told that the screen could not
    // be frozen, which is said once per run.
    std::shared_ptr<std::atomic<bool>> captureFailureTold = std::make_shared<std::atomic<bool>>(false);

    // The settings object in use.
    CConfigManager& Config() const;
    // False when there is no compositor to ask.
    bool Composited() const;
    // Calls the function manager when no replacement was given.
    void StopFunction() const;
    EffectPoint EffectPointNow() const;
    void TellUser(const char* section, const char* key) const;
};
