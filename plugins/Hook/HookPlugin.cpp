// The keyboard hook: a thread of its own listens to XInput2 raw key events on the root window
// (every key of every keyboard, whoever has the focus) and hands presses and releases to the
// callback given to SetHook as (0, message, record whose first field is the virtual key).
// The program's own injected keys are ignored, so an emulated shortcut never records itself or
// hides the blank screen: they come from an XTEST device and were announced by NoteInjectedKey
// just before. Keys other programs inject through XTEST (xdotool, on-screen keyboards) and
// real keyboards are reported.
// A key's virtual key comes from its keysym in the first layout; a key whose keysym has none
// (punctuation, or any letter when the first layout is not Latin) is known by its position.

#include "KeyboardHookApi.h"
#include "VirtualKeyTable.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include <poll.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <deque>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace {

std::atomic<HookKeyboardProc> g_proc{nullptr};
// Fun + page up is held; kept for the callback's owner, the raw listener has no use for it.
std::atomic<uint8_t> g_funAndUp{0};

// Key events the program announced, oldest first; an announcement not seen within a second is
// dropped (its event never came, for instance because the key was not on the keymap).
struct Injected {
    uint32_t keycode;
    bool down;
    std::chrono::steady_clock::time_point at;
};
std::mutex g_injectedLock;
std::deque<Injected> g_injected;
constexpr auto kInjectedLifetime = std::chrono::seconds(1);

bool TakeInjected(uint32_t keycode, bool down)
{
    const auto now = std::chrono::steady_clock::now();
    std::lock_guard lock(g_injectedLock);
    while (!g_injected.empty() && now - g_injected.front().at > kInjectedLifetime)
        g_injected.pop_front();
    for (auto it = g_injected.begin(); it != g_injected.end(); ++it) {
        if (it->keycode == keycode && it->down == down) {
            g_injected.erase(it);
            return true;
        }
    }
    return false;
}

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

// XKB key names by keycode ("AC01"...), read again whenever the keyboard description changes.
using KeyNames = std::array<std::string, 256>;

KeyNames ReadKeyNames(Display* display)
{
    KeyNames names;
    XkbDescPtr desc = XkbGetMap(display, 0, XkbUseCoreKbd);
    if (desc == nullptr)
        return names;
    if (XkbGetNames(display, XkbKeyNamesMask, desc) == Success && desc->names != nullptr &&
        desc->names->keys != nullptr) {
        for (int code = desc->min_key_code; code <= desc->max_key_code && code < 256; ++code) {
            const char* name = desc->names->keys[code].name;
            names[static_cast<size_t>(code)] = std::string(name, strnlen(name, XkbKeyNameLength));
        }
    }
    XkbFreeKeyboard(desc, 0, True);
    return names;
}

int VirtualKeyOf(Display* display, const KeyNames& names, int keycode)
{
    for (int level = 0; level < 2; ++level) {
        const KeySym keysym = XkbKeycodeToKeysym(display, static_cast<KeyCode>(keycode), 0, level);
        const int vk = platform::VirtualKeyForKeysym(keysym);
        if (vk >= 0)
            return vk;
    }
    if (keycode < 0 || keycode >= 256)
        return -1;
    return platform::VirtualKeyForKeyPosition(names[static_cast<size_t>(keycode)]);
}

void ThreadHookFunc(Display* display, int opcode, int xkbEvent, int wakeFd)
{
    std::map<int, bool> xtestDevices;
    KeyNames names = ReadKeyNames(display);
    pollfd fds[2] = {{ConnectionNumber(display), POLLIN, 0}, {wakeFd, POLLIN, 0}};
    for (;;) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == xkbEvent || event.type == MappingNotify) {
                // A new keymap (setxkbmap, another keyboard) may name the keys differently and
                // put other keysyms on them.
                if (event.type == MappingNotify)
                    XRefreshKeyboardMapping(&event.xmapping);
                else if (reinterpret_cast<XkbEvent*>(&event)->any.xkb_type == XkbMapNotify)
                    XkbRefreshKeyboardMapping(&reinterpret_cast<XkbEvent*>(&event)->map);
                names = ReadKeyNames(display);
                continue;
            }
            XGenericEventCookie* cookie = &event.xcookie;
            if (cookie->type != GenericEvent || cookie->extension != opcode || !XGetEventData(display, cookie))
                continue;
            if (cookie->evtype == XI_RawKeyPress || cookie->evtype == XI_RawKeyRelease) {
                const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
                const int vk = VirtualKeyOf(display, names, raw->detail);
                const bool down = cookie->evtype == XI_RawKeyPress;
                const bool ours = IsXTestDevice(display, raw->sourceid, xtestDevices) &&
                                  TakeInjected(static_cast<uint32_t>(raw->detail), down);
                HookKeyboardProc proc = g_proc.load();
                if (vk >= 0 && proc != nullptr && !ours) {
                    HookKeyRecord record{static_cast<uint32_t>(vk), static_cast<uint32_t>(raw->detail), 0,
                                         static_cast<uint32_t>(raw->time), 0};
                    proc(0, down ? kHookKeyDown : kHookKeyUp,
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

// Opens the listener's own connection and selects the raw key events and the keymap changes;
// null (with a reason on standard error) when there is no X server or no XInput 2.
Display* OpenListener(int* opcode, int* xkbEvent)
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "libHook: no X server\n");
        return nullptr;
    }
    int event = 0;
    int error = 0;
    // 2.1 or later delivers raw events of master devices.
    int major = 2;
    int minor = 2;
    if (!XQueryExtension(display, "XInputExtension", opcode, &event, &error) ||
        XIQueryVersion(display, &major, &minor) != Success) {
        std::fprintf(stderr, "libHook: the X server has no XInput 2\n");
        XCloseDisplay(display);
        return nullptr;
    }
    unsigned char keyBits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(keyBits, XI_RawKeyPress);
    XISetMask(keyBits, XI_RawKeyRelease);
    // Hierarchy changes can be selected for all devices only.
    unsigned char hierarchyBits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(hierarchyBits, XI_HierarchyChanged);
    // Master devices only: each key once, its slave (real keyboard or XTEST) as the source.
    XIEventMask masks[2] = {{XIAllMasterDevices, static_cast<int>(sizeof keyBits), keyBits},
                            {XIAllDevices, static_cast<int>(sizeof hierarchyBits), hierarchyBits}};
    XISelectEvents(display, DefaultRootWindow(display), masks, 2);
    int xkbMajor = XkbMajorVersion;
    int xkbMinor = XkbMinorVersion;
    int xkbOpcode = 0;
    int xkbError = 0;
    *xkbEvent = -1;
    if (XkbQueryExtension(display, &xkbOpcode, xkbEvent, &xkbError, &xkbMajor, &xkbMinor))
        XkbSelectEvents(display, XkbUseCoreKbd, XkbNewKeyboardNotifyMask | XkbMapNotifyMask,
                        XkbNewKeyboardNotifyMask | XkbMapNotifyMask);
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
    int xkbEvent = -1;
    Display* display = OpenListener(&opcode, &xkbEvent);
    if (display == nullptr)
        return 0;
    if (pipe(g_wake) != 0) {
        XCloseDisplay(display);
        return 0;
    }
    g_thread = std::thread(ThreadHookFunc, display, opcode, xkbEvent, g_wake[0]);
    return 1;
}

void SetIsPressFunAndUp(uint8_t pressed) { g_funAndUp = pressed; }

void NoteInjectedKey(uint32_t keycode, uint8_t down)
{
    std::lock_guard lock(g_injectedLock);
    g_injected.push_back({keycode, down != 0, std::chrono::steady_clock::now()});
}

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
