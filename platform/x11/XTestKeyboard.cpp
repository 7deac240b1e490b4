#include "XTestKeyboard.h"

#include "VirtualKeyTable.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <cstdio>
#include <cstring>
#include <string_view>

namespace platform {

namespace {

bool HasXTest(Display* display)
{
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    return XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor) != 0;
}

// A keycode without any keysym, highest first (low keycodes are the real keys); 0 when full.
KeyCode SpareKeycode(Display* display)
{
    int minCode = 0;
    int maxCode = 0;
    XDisplayKeycodes(display, &minCode, &maxCode);
    int perCode = 0;
    KeySym* map = XGetKeyboardMapping(display, static_cast<KeyCode>(minCode), maxCode - minCode + 1, &perCode);
    if (map == nullptr)
        return 0;
    KeyCode spare = 0;
    for (int code = maxCode; code >= minCode && spare == 0; --code) {
        bool empty = true;
        for (int i = 0; i < perCode; ++i)
            empty = empty && map[(code - minCode) * perCode + i] == NoSymbol;
        if (empty)
            spare = static_cast<KeyCode>(code);
    }
    XFree(map);
    return spare;
}

void SetMapping(Display* display, KeyCode code, KeySym keysym)
{
    KeySym syms[2] = {keysym, keysym};
    XChangeKeyboardMapping(display, code, 2, syms, 1);
    XSync(display, False);
}

// The keycode of the key with this XKB name; 0 when the keymap has none.
KeyCode KeycodeAtPosition(Display* display, std::string_view name)
{
    if (name.empty())
        return 0;
    XkbDescPtr desc = XkbGetMap(display, 0, XkbUseCoreKbd);
    if (desc == nullptr)
        return 0;
    KeyCode found = 0;
    if (XkbGetNames(display, XkbKeyNamesMask, desc) == Success && desc->names != nullptr &&
        desc->names->keys != nullptr) {
        for (int code = desc->min_key_code; code <= desc->max_key_code && found == 0; ++code) {
            const char* keyName = desc->names->keys[code].name;
            if (std::string_view(keyName, strnlen(keyName, XkbKeyNameLength)) == name)
                found = static_cast<KeyCode>(code);
        }
    }
    XkbFreeKeyboard(desc, 0, True);
    return found;
}

bool KeycodeDown(Display* display, KeyCode code)
{
    char keys[32] = {};
    XQueryKeymap(display, keys);
    return code != 0 && (keys[code / 8] & (1 << (code % 8))) != 0;
}

} // namespace

XTestKeyboard::~XTestKeyboard()
{
    X11Connection::Lock lock(m_connection);
    if (!lock)
        return;
    // A key left down by us would repeat forever; its lent keycode goes back empty.
    for (const auto& [keysym, code] : m_lent) {
        XTestFakeKeyEvent(lock.Display(), code, False, CurrentTime);
        SetMapping(lock.Display(), code, NoSymbol);
    }
}

void XTestKeyboard::SendKey(int vk, bool up, bool /*extended: no such flag on X*/)
{
    const KeySym keysym = KeysymForVirtualKey(vk);
    X11Connection::Lock lock(m_connection);
    if (!lock || !HasXTest(lock.Display()))
        return;
    Display* display = lock.Display();
    if (keysym == 0) {
        // Punctuation keys (a recorded shortcut on ";", say) carry no keysym of their own here:
        // what they type differs between layouts. The key at their position is pressed instead.
        const KeyCode code = KeycodeAtPosition(display, KeyPositionForVirtualKey(vk));
        if (code != 0)
            Inject(display, code, up);
        return;
    }
    KeyCode code = XKeysymToKeycode(display, keysym);
    const auto lent = m_lent.find(keysym);
    if (lent != m_lent.end()) {
        code = lent->second;
    } else if (code == 0) {
        if (up)
            return;  // its press was never sent
        code = SpareKeycode(display);
        if (code == 0) {
            std::fprintf(stderr, "Orvelle: no spare keycode for keysym 0x%lx\n", static_cast<unsigned long>(keysym));
            return;
        }
        SetMapping(display, code, keysym);
        m_lent[keysym] = code;
    }
    Inject(display, code, up);
    if (up && lent != m_lent.end()) {
        SetMapping(display, code, NoSymbol);
        m_lent.erase(lent);
    }
}

void XTestKeyboard::Inject(Display* display, unsigned char code, bool up)
{
    if (m_observer)
        m_observer(code, !up);
    XTestFakeKeyEvent(display, code, up ? False : True, CurrentTime);
    XSync(display, False);
}

void XTestKeyboard::SetInjectionObserver(std::function<void(unsigned keycode, bool down)> observer)
{
    X11Connection::Lock lock(m_connection);
    m_observer = std::move(observer);
}

bool XTestKeyboard::IsKeyDown(int vk)
{
    X11Connection::Lock lock(m_connection);
    if (!lock)
        return false;
    Display* display = lock.Display();
    const auto down = [display](int key) { return KeycodeDown(display, XKeysymToKeycode(display, KeysymForVirtualKey(key))); };
    switch (vk) {
    case 16:
        return down(160) || down(161);
    case 17:
        return down(162) || down(163);
    case 18:
        return down(164) || down(165);
    default:
        return down(vk);
    }
}

} // namespace platform
