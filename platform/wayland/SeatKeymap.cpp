#include "SeatKeymap.h"

#include <Qt>

#include <sys/mman.h>
#include <unistd.h>
#include <xkbcommon/xkbcommon.h>

namespace platform {
namespace {

// xkbcommon's key codes are the Linux ones shifted by 8, as X11's are.
constexpr uint32_t kXkbOffset = 8;

int QtKeyForKeysym(xkb_keysym_t sym)
{
    switch (sym) {
    case XKB_KEY_Return:
        return Qt::Key_Return;
    case XKB_KEY_KP_Enter:
        return Qt::Key_Enter;
    case XKB_KEY_Escape:
        return Qt::Key_Escape;
    case XKB_KEY_BackSpace:
        return Qt::Key_Backspace;
    case XKB_KEY_Tab:
        return Qt::Key_Tab;
    case XKB_KEY_space:
        return Qt::Key_Space;
    default:
        break;
    }
    // Latin letters, digits and punctuation: Qt names them by their upper-case character.
    if (sym > XKB_KEY_space && sym <= XKB_KEY_asciitilde)
        return static_cast<int>(xkb_keysym_to_upper(sym));
    return Qt::Key_unknown;
}

// The same keys by position, for a seat that gave no keymap.
int QtKeyForUsPosition(uint32_t code)
{
    switch (code) {
    case 1:
        return Qt::Key_Escape;
    case 28:
        return Qt::Key_Return;
    case 96:
        return Qt::Key_Enter;
    case 14:
        return Qt::Key_Backspace;
    case 15:
        return Qt::Key_Tab;
    case 57:
        return Qt::Key_Space;
    default:
        return Qt::Key_unknown;
    }
}

} // namespace

SeatKeymap::SeatKeymap() : m_context(xkb_context_new(XKB_CONTEXT_NO_FLAGS)) {}

SeatKeymap::~SeatKeymap()
{
    if (m_state != nullptr)
        xkb_state_unref(m_state);
    if (m_keymap != nullptr)
        xkb_keymap_unref(m_keymap);
    if (m_context != nullptr)
        xkb_context_unref(m_context);
}

bool SeatKeymap::Load(int fd, uint32_t size)
{
    bool loaded = false;
    if (size > 0) {
        void* text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (text != MAP_FAILED) {
            // The text ends with its zero; a map without one is not taken.
            if (static_cast<const char*>(text)[size - 1] == '\0')
                loaded = Load(static_cast<const char*>(text));
            munmap(text, size);
        }
    }
    ::close(fd);
    return loaded;
}

bool SeatKeymap::Load(const char* text)
{
    if (m_context == nullptr)
        return false;
    xkb_keymap* keymap = xkb_keymap_new_from_string(m_context, text, XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (keymap == nullptr)
        return false;
    xkb_state* state = xkb_state_new(keymap);
    if (state == nullptr) {
        xkb_keymap_unref(keymap);
        return false;
    }
    if (m_state != nullptr)
        xkb_state_unref(m_state);
    if (m_keymap != nullptr)
        xkb_keymap_unref(m_keymap);
    m_keymap = keymap;
    m_state = state;
    return true;
}

void SeatKeymap::SetModifiers(uint32_t depressed, uint32_t latched, uint32_t locked, uint32_t group)
{
    if (m_state != nullptr)
        xkb_state_update_mask(m_state, depressed, latched, locked, 0, 0, group);
}

int SeatKeymap::QtKeyFor(uint32_t linuxKeyCode) const
{
    if (m_state == nullptr)
        return QtKeyForUsPosition(linuxKeyCode);
    return QtKeyForKeysym(xkb_state_key_get_one_sym(m_state, linuxKeyCode + kXkbOffset));
}

} // namespace platform
