// The keyboard hook: a thread of its own listens to XInput2 raw key events on the root window
// (every key of every keyboard, whoever has the focus) and hands presses and releases to the
// callback given to SetHook as (0, message, record whose first field is the virtual key).
// Keys whose source is an XTEST device are the program's own injected keys and are ignored, so
// an emulated shortcut never records itself or hides the blank screen it was not meant to.

#include "KeyboardHookApi.h"
#include "VirtualKeyTable.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>

namespace {

std::atomic<HookKeyboardProc> g_proc{nullptr};
// Fun + page up is held; kept for the callback's owner, the raw listener has no use for it.
std::atomic<uint8_t> g_funAndUp{0};

std::mutex g_lock;  // start and stop
std::thread g_thread;
int g_wake[2] = {-1, -1};

bool IsXTestDevice(Display* display, int deviceId, std::map<int, bool>& known)
{
    const auto found = known.find(deviceId);
    if (found != known.end())
        return found->second;
    int count = 0;
    bool xtest = false;
    if (XIDeviceInfo* info = XIQueryDevice(display, deviceId, &count)) {
        xtest = count > 0 && info[0].name != nullptr && std::strstr(info[0].name, "XTEST") != nullptr;
        XIFreeDeviceInfo(info);
    }
    known[deviceId] = xtest;
    return xtest;
}

int VirtualKeyOf(Display* display, int keycode)
{
    for (int level = 0; level < 2; ++level) {
        const KeySym keysym = XkbKeycodeToKeysym(display, static_cast<KeyCode>(keycode), 0, level);
        const int vk = platform::VirtualKeyForKeysym(keysym);
        if (vk >= 0)
            return vk;
    }
    return -1;
}

void ThreadHookFunc(Display* display, int opcode, int wakeFd)
{
    std::map<int, bool> xtestDevices;
    pollfd fds[2] = {{ConnectionNumber(display), POLLIN, 0}, {wakeFd, POLLIN, 0}};
    for (;;) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            XGenericEventCookie* cookie = &event.xcookie;
            if (cookie->type != GenericEvent || cookie->extension != opcode || !XGetEventData(display, cookie))
                continue;
            if (cookie->evtype == XI_RawKeyPress || cookie->evtype == XI_RawKeyRelease) {
                const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
                const int vk = VirtualKeyOf(display, raw->detail);
                HookKeyboardProc proc = g_proc.load();
                if (vk >= 0 && proc != nullptr && !IsXTestDevice(display, raw->sourceid, xtestDevices)) {
                    HookKeyRecord record{static_cast<uint32_t>(vk), static_cast<uint32_t>(raw->detail), 0,
                                         static_cast<uint32_t>(raw->time), 0};
                    proc(0, cookie->evtype == XI_RawKeyPress ? kHookKeyDown : kHookKeyUp,
                         reinterpret_cast<intptr_t>(&record));
                }
            } else if (cookie->evtype == XI_HierarchyChanged) {
                xtestDevices.clear();  // device ids may be reused
            }
            XFreeEventData(display, cookie);
        }
        if (poll(fds, 2, -1) < 0)
            continue;
        if (fds[1].revents != 0 || (fds[0].revents & (POLLERR | POLLHUP)) != 0)
            break;
    }
    XCloseDisplay(display);
}

// Opens the listener's own connection and selects the raw key events; null (with a reason on
// standard error) when there is no X server or no XInput 2.
Display* OpenListener(int* opcode)
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "libHook: no X server\n");
        return nullptr;
    }
    int event = 0;
    int error = 0;
    int major = 2;
    int minor = 0;
    if (!XQueryExtension(display, "XInputExtension", opcode, &event, &error) ||
        XIQueryVersion(display, &major, &minor) != Success) {
        std::fprintf(stderr, "libHook: the X server has no XInput 2\n");
        XCloseDisplay(display);
        return nullptr;
    }
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    XISetMask(bits, XI_HierarchyChanged);
    XIEventMask mask{XIAllDevices, static_cast<int>(sizeof bits), bits};
    XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
    XFlush(display);
    return display;
}

} // namespace

extern "C" {

// Starts the listener (once) and sets the callback; 1 when it listens, 0 otherwise.
int SetHook(HookKeyboardProc proc)
{
    std::lock_guard lock(g_lock);
    g_proc = proc;
    if (g_thread.joinable())
        return 1;
    int opcode = 0;
    Display* display = OpenListener(&opcode);
    if (display == nullptr)
        return 0;
    if (pipe(g_wake) != 0) {
        XCloseDisplay(display);
        return 0;
    }
    g_thread = std::thread(ThreadHookFunc, display, opcode, g_wake[0]);
    return 1;
}

void SetIsPressFunAndUp(uint8_t pressed) { g_funAndUp = pressed; }

// Stops the listener and forgets the callback; nothing is called after it returns.
void ReleaseHook()
{
    std::lock_guard lock(g_lock);
    g_proc = nullptr;
    if (!g_thread.joinable())
        return;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = write(g_wake[1], &byte, 1);
    g_thread.join();
    close(g_wake[0]);
    close(g_wake[1]);
    g_wake[0] = g_wake[1] = -1;
}

} // extern "C"
