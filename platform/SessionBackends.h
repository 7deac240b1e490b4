#pragma once
// The desktop session's services, made in one place. Callers hold only the interfaces; which
// backend stands behind them (today the X11 one) is decided here, so a session of another kind
// changes this choice and nothing else. Each call makes a new, independent object.

#include "ICompositor.h"
#include "ICursor.h"
#include "IForegroundWindow.h"
#include "IKeyboard.h"
#include "IOverlaySurfaces.h"
#include "IScreenCapture.h"
#include "IWindowList.h"

#include <functional>
#include <memory>

namespace platform {

// Told the key code and direction right before each key the keyboard injects, so a global key
// hook can recognise our own keys.
using InjectedKeyObserver = std::function<void(unsigned keycode, bool down)>;

std::unique_ptr<ICompositor> MakeCompositor();
std::unique_ptr<ICursor> MakeCursor();
std::unique_ptr<IScreenCapture> MakeScreenCapture();
std::unique_ptr<IForegroundWindow> MakeForegroundWindow();
std::unique_ptr<IWindowList> MakeWindowList();
std::unique_ptr<IKeyboard> MakeKeyboard(InjectedKeyObserver observer = {});
// The compositor's overlay surfaces where the session draws its effects there; null otherwise, or
// when the compositor cannot be reached (the effects then use windows).
std::unique_ptr<IOverlaySurfaces> MakeOverlaySurfaces();

} // namespace platform
