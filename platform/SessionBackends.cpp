// Every service on a private connection to the X11 display of $DISPLAY (on a Wayland desktop,
// its XWayland), except the frozen picture where the Wayland compositor copies its own outputs,
// the effects' surfaces where it offers its overlay layer, and the keys on Wayland, which a kernel virtual keyboard of our own types where it may.

#include "SessionBackends.h"

#include "DesktopSession.h"
#include "EwmhForegroundWindow.h"
#include "EwmhWindowList.h"
#include "LayerShellOverlays.h"
#include "X11Compositor.h"
#include "X11Cursor.h"
#include "X11ScreenCapture.h"
#include "UinputKeyboard.h"
#include "WlrScreenCapture.h"
#include "XTestKeyboard.h"

namespace platform {

std::unique_ptr<ICompositor> MakeCompositor() { return std::make_unique<X11Compositor>(); }

std::unique_ptr<IOverlaySurfaces> MakeOverlaySurfaces()
{
    if (CurrentDesktopSession().overlay != OverlayPath::LayerShell)
        return nullptr;
    return LayerShellOverlays::Connect();
}

std::unique_ptr<ICursor> MakeCursor() { return std::make_unique<X11Cursor>(); }

std::unique_ptr<IScreenCapture> MakeScreenCapture()
{
    if (CurrentDesktopSession().capture == CapturePath::WlrScreencopy)
        return std::make_unique<WlrScreenCapture>();
    return std::make_unique<X11ScreenCapture>();
}

std::unique_ptr<IForegroundWindow> MakeForegroundWindow() { return std::make_unique<EwmhForegroundWindow>(); }

std::unique_ptr<IWindowList> MakeWindowList() { return std::make_unique<EwmhWindowList>(); }

std::unique_ptr<IKeyboard> MakeKeyboard(InjectedKeyObserver observer)
{
    auto xtest = std::make_unique<XTestKeyboard>();
    if (observer)
        xtest->SetInjectionObserver(std::move(observer));
    if (CurrentDesktopSession().keys != KeyPath::Uinput)
        return xtest;
    std::unique_ptr<UinputKeyboard> uinput = UinputKeyboard::Create(kUinputPath);
    if (!uinput)
        return xtest;
    // The desktop's view of the keys (held by the user on any keyboard) comes from XWayland,
    // which sees them while one of its windows has the focus.
    std::shared_ptr<XTestKeyboard> live(std::move(xtest));
    uinput->SetLiveState([live](int vk) { return live->IsKeyDown(vk); });
    return uinput;
}

} // namespace platform
