#pragma once
// The one table between Windows virtual-key codes and X keysyms: letters, digits, the numeric
// pad, F1 to F24, arrows and navigation keys, Escape, the modifiers with left and right apart,
// Win (Super) and the media and volume keys (XF86 keysyms). Portable: keysyms are plain numbers.

namespace platform {

// 0 when the virtual key has no keysym.
unsigned long KeysymForVirtualKey(int vk);
// The virtual key of a keysym (either case of a letter, the numeric pad with or without Num
// Lock); -1 when there is none. Left and right modifiers map to their own codes (160 to 165).
int VirtualKeyForKeysym(unsigned long keysym);

} // namespace platform
