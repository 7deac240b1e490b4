// Every service on a private connection to the X11 display of $DISPLAY (on a Wayland desktop,
// its XWayland), except the frozen picture where the Wayland compositor copies its own outputs
// (by protocol on wlroots, through its screen cast service on GNOME, its screenshot service on
// KDE Plasma), the effects' surfaces where it offers its overlay layer, the window list where it
// lists its toplevels, and the keys on Wayland, which a kernel virtual keyboard of our own types
// where it may, else the compositor's virtual keyboard where it has one, else GNOME's remote
// desktop service; there a pointer device of our own moves the cursor too.

#include "SessionBackends.h"

#include "DesktopSession.h"
#include "EwmhForegroundWindow.h"
#include "EwmhWindowList.h"
#include "LayerShellOverlays.h"
#include "X11Compositor.h"
#include "X11Cursor.h"
#include "X11ScreenCapture.h"
#include "KWinScreenCapture.h"
#include "MutterRemoteKeyboard.h"
#include "MutterScreenCapture.h"
#include "RelativeCursor.h"
#include "UinputKeyboard.h"
#include "UinputPointer.h"
#include "WlrScreenCapture.h"
#include "WlrToplevelList.h"
#include "WlrVirtualKeyboard.h"
#include "XTestKeyboard.h"

#include <mutex>

namespace platform {

std::unique_ptr<ICompositor> MakeCompositor() { return std::make_unique<X11Compositor>(); }

namespace {

// One pointer device serves every cursor object of the process.
std::shared_ptr<UinputPointer> SharedPointer()
{
    static std::mutex mutex;
    static std::weak_ptr<UinputPointer> shared;
    std::lock_guard lock(mutex);
    std::shared_ptr<UinputPointer> pointer = shared.lock();
    if (!pointer) {
        pointer = UinputPointer::Create(kUinputPath);
        shared = pointer;
    }
    return pointer;
}

} // namespace

std::unique_ptr<ICursor> MakeCursor()
{
    auto x11 = std::make_unique<X11Cursor>();
    // On Wayland, warping XWayland's pointer moves nothing over native windows; a pointer device
    // of our own moves the real one, where uinput may be written.
    const DesktopSession& session = CurrentDesktopSession();
    if (!session.wayland || session.keys != KeyPath::Uinput)
        return x11;
    std::shared_ptr<UinputPointer> pointer = SharedPointer();
    if (!pointer)
        return x11;
    return std::make_unique<RelativeCursor>([pointer](int dx, int dy) { pointer->Move(dx, dy); }, std::move(x11));
}

std::unique_ptr<IOverlaySurfaces> MakeOverlaySurfaces()
{
    if (CurrentDesktopSession().overlay != OverlayPath::LayerShell)
        return nullptr;
    return LayerShellOverlays::Connect();
}

std::unique_ptr<IScreenCapture> MakeScreenCapture()
{
    switch (CurrentDesktopSession().capture) {
    case CapturePath::WlrScreencopy:
        return std::make_unique<WlrScreenCapture>();
    case CapturePath::GnomeScreenCast:
        return std::make_unique<MutterScreenCapture>();
    case CapturePath::KWinScreenShot:
        return std::make_unique<KWinScreenCapture>();
    default:
        break;
    }
    return std::make_unique<X11ScreenCapture>();
}

std::unique_ptr<IForegroundWindow> MakeForegroundWindow()
{
    if (CurrentDesktopSession().windows == WindowListPath::WlrForeignToplevel)
        return std::make_unique<WlrToplevelList>();
    return std::make_unique<EwmhForegroundWindow>();
}

std::unique_ptr<IWindowList> MakeWindowList()
{
    const DesktopSession& session = CurrentDesktopSession();
    if (session.windows == WindowListPath::WlrForeignToplevel)
        return std::make_unique<WlrToplevelList>();
    return std::make_unique<EwmhWindowList>(!session.wayland);
}

std::unique_ptr<IKeyboard> MakeKeyboard(InjectedKeyObserver observer)
{
    auto xtest = std::make_unique<XTestKeyboard>();
    if (observer)
        xtest->SetInjectionObserver(std::move(observer));
    // The session's best way first; where it cannot be made after all (uinput refused), the next.
    std::unique_ptr<EvdevKeyboard> keyboard;
    for (const KeyPath path : CurrentDesktopSession().KeyPathsInOrder()) {
        if (path == KeyPath::Uinput)
            keyboard = UinputKeyboard::Create(kUinputPath);
        else if (path == KeyPath::WlrVirtualKeyboard)
            keyboard = WlrVirtualKeyboard::Create();
        else if (path == KeyPath::GnomeRemoteDesktop)
            keyboard = std::make_unique<MutterRemoteKeyboard>();
        else
            return xtest;
        if (keyboard)
            break;
    }
    if (!keyboard)
        return xtest;
    // The desktop's view of the keys (held by the user on any keyboard) comes from XWayland,
    // which sees them while one of its windows has the focus.
    std::shared_ptr<XTestKeyboard> live(std::move(xtest));
    keyboard->SetLiveState([live](int vk) { return live->IsKeyDown(vk); });
    return keyboard;
}

} // namespace platform
