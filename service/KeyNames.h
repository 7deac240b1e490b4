#pragma once
// The text shown for a recorded shortcut key, by Windows virtual-key code.

#include <string>

// F1..F24, letters, digits, the numeric pad's digits and the named keys; "" for any other key.
std::string KeyName(int vk);
// The keys a shortcut may end with when a modifier is held: F1..F24, A..Z, 0..9, numeric pad 0..9.
bool IsShortcutKey(int vk);
// The text of a stored shortcut: "Ctrl + F5" for modifier 17 or 162 and key 116, the modifier's
// own name when no key goes with it, the key's name when no modifier does.
std::string ShortcutText(int modifier, int key);
