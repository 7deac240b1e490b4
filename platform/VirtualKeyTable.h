#pragma once
// The one table between Windows virtual-key codes and X keysyms: letters, digits, the numeric
// pad, F1 to F24, arrows and navigation keys, Escape, the modifiers with left and right apart,
// Win (Super) and the media and volume keys (XF86 keysyms). Portable: keysyms are plain numbers.
// Beside it, the typing block by key position (XKB key names), for keys whose keysym has no
// virtual key: punctuation, and the letters of a non-Latin layout.

#include <string_view>

namespace platform {

// 0 when the virtual key has no keysym.
unsigned long KeysymForVirtualKey(int vk);
// The virtual key of a keysym (either case of a letter, the numeric pad with or without Num
// Lock); -1 when there is none. Left and right modifiers map to their own codes (160 to 165).
int VirtualKeyForKeysym(unsigned long keysym);

// The virtual key of the typing-block key at a position, named as XKB names it ("AC01" is the
// key right of Caps Lock, "TLDE" the one left of 1): the code the key has on a US keyboard, so
// every physical key has one whatever the layout puts on it. -1 for other names.
int VirtualKeyForKeyPosition(std::string_view keyName);
// The XKB name of the key at which a virtual key of the typing block sits; empty when none.
std::string_view KeyPositionForVirtualKey(int vk);

} // namespace platform
