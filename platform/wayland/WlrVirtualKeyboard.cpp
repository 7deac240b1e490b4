#include "WlrVirtualKeyboard.h"

#include "LinuxKeyCodes.h"
#include "WaylandClient.h"
#include "WaylandDispatch.h"
#include "virtual-keyboard-unstable-v1-client-protocol.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

namespace platform {
namespace {

// xkbcommon's key codes are the evdev codes shifted by 8, as X11's are.
constexpr uint32_t kXkbOffset = 8;

uint32_t NowMs()
{
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch()).count());
}

// A read-only copy of `text` (with its terminating zero, as wl_keyboard keymaps have it) in an
// anonymous file; -1 when none can be made.
int KeymapFile(const char* text, size_t size)
{
    const int fd = memfd_create("orvelle-keymap", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (fd < 0)
        return -1;
    size_t written = 0;
    while (written < size) {
        const ssize_t n = ::write(fd, text + written, size - written);
        if (n <= 0) {
            ::close(fd);
            return -1;
        }
        written += static_cast<size_t>(n);
    }
    fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL);
    return fd;
}

} // namespace

struct WlrVirtualKeyboard::Connection {
    WaylandClient client;
    wl_seat* seat = nullptr;
    zwp_virtual_keyboard_manager_v1* manager = nullptr;
    zwp_virtual_keyboard_v1* keyboard = nullptr;
    xkb_context* context = nullptr;
    xkb_keymap* keymap = nullptr;
    xkb_state* state = nullptr;

    ~Connection()
    {
        if (keyboard)
            zwp_virtual_keyboard_v1_destroy(keyboard);
        if (manager)
            zwp_virtual_keyboard_manager_v1_destroy(manager);
        if (seat)
            wl_seat_destroy(seat);
        // The last keys and the keyboard's removal reach the compositor before we go.
        if (client.Connected())
            WaylandRoundtrip(client.Display());
        client.Disconnect();
        xkb_state_unref(state);
        xkb_keymap_unref(keymap);
        xkb_context_unref(context);
    }

    void OnGlobal(wl_registry* registry, uint32_t name, const char* interface)
    {
        if (std::strcmp(interface, wl_seat_interface.name) == 0 && !seat) {
            seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
        } else if (std::strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0 && !manager) {
            manager = static_cast<zwp_virtual_keyboard_manager_v1*>(
                wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1));
        }
    }

    // A US layout, the key positions LinuxKeyCodes names.
    bool CompileKeymap()
    {
        context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
        if (!context)
            return false;
        const xkb_rule_names names{"evdev", "pc105", "us", "", ""};
        keymap = xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
        state = keymap ? xkb_state_new(keymap) : nullptr;
        return state != nullptr;
    }

    bool Open(const char* name)
    {
        if (!CompileKeymap())
            return false;
        const bool answered = client.Connect(name, [this](wl_registry* registry, uint32_t global, const char* interface,
                                                          uint32_t) { OnGlobal(registry, global, interface); });
        if (!answered || !seat || !manager)
            return false;
        char* text = xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1);
        if (!text)
            return false;
        const size_t size = std::strlen(text) + 1;
        const int fd = KeymapFile(text, size);
        std::free(text);
        if (fd < 0)
            return false;
        keyboard = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(manager, seat);
        zwp_virtual_keyboard_v1_keymap(keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd, static_cast<uint32_t>(size));
        // The request carries its own copy of the descriptor once sent.
        const bool sent = WaylandRoundtrip(client.Display());
        ::close(fd);
        // A compositor that refuses the keyboard says so with a protocol error.
        return sent && wl_display_get_error(client.Display()) == 0;
    }
};

WlrVirtualKeyboard::WlrVirtualKeyboard(std::unique_ptr<Connection> connection) : m_connection(std::move(connection)) {}

std::unique_ptr<WlrVirtualKeyboard> WlrVirtualKeyboard::Create(const char* display)
{
    auto connection = std::make_unique<Connection>();
    if (!connection->Open(display))
        return nullptr;
    return std::unique_ptr<WlrVirtualKeyboard>(new WlrVirtualKeyboard(std::move(connection)));
}

WlrVirtualKeyboard::~WlrVirtualKeyboard() { ReleaseAll(); }

void WlrVirtualKeyboard::Press(int code, bool down)
{
    Connection& c = *m_connection;
    zwp_virtual_keyboard_v1_key(c.keyboard, NowMs(), static_cast<uint32_t>(code),
                                down ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
    const xkb_state_component changed =
        xkb_state_update_key(c.state, static_cast<xkb_keycode_t>(code) + kXkbOffset, down ? XKB_KEY_DOWN : XKB_KEY_UP);
    if (changed & (XKB_STATE_MODS_EFFECTIVE | XKB_STATE_LAYOUT_EFFECTIVE)) {
        zwp_virtual_keyboard_v1_modifiers(c.keyboard, xkb_state_serialize_mods(c.state, XKB_STATE_MODS_DEPRESSED),
                                          xkb_state_serialize_mods(c.state, XKB_STATE_MODS_LATCHED),
                                          xkb_state_serialize_mods(c.state, XKB_STATE_MODS_LOCKED),
                                          xkb_state_serialize_layout(c.state, XKB_STATE_LAYOUT_EFFECTIVE));
    }
    wl_display_flush(c.client.Display());
}

} // namespace platform
