#pragma once
// What the keys of a Wayland seat mean: the keymap the compositor hands its keyboard clients, by
// which a key code (a position) becomes the key it types. Programs that type into the seat
// (virtual keyboards, remapped layouts) bring keymaps of their own, so the code alone does not
// say Enter or Escape. One thread.

#include <cstdint>

struct xkb_context;
struct xkb_keymap;
struct xkb_state;

namespace platform {

class SeatKeymap {
public:
    SeatKeymap();
    ~SeatKeymap();
    SeatKeymap(const SeatKeymap&) = delete;
    SeatKeymap& operator=(const SeatKeymap&) = delete;

    // The keymap's text (xkb format, `size` bytes with the terminating zero) in `fd`, which this
    // closes. False, keeping the keymap it had, when the text cannot be read or compiled.
    bool Load(int fd, uint32_t size);
    bool Load(const char* text);
    void SetModifiers(uint32_t depressed, uint32_t latched, uint32_t locked, uint32_t group);
    // The Qt key (Qt::Key) that the Linux key code types now; Qt::Key_unknown for one with no
    // such key. Without a keymap, the keys of a US keyboard's positions.
    int QtKeyFor(uint32_t linuxKeyCode) const;

private:
    xkb_context* m_context = nullptr;
    xkb_keymap* m_keymap = nullptr;
    xkb_state* m_state = nullptr;
};

} // namespace platform
