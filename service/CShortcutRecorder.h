#pragma once
// Records the keyboard shortcut of the custom function "keyboard shortcut" from the keys the
// keyboard hook reports while the advanced-features page waits for input: the modifier held
// (live key state) and the key pressed, stored as virtual keys in the slot's keybordValue1 and
// keybordValue2, and the text to show for them.

#include <string>

class CConfigManager;
namespace platform {
class IKeyboard;
}

class CShortcutRecorder {
public:
    CShortcutRecorder(CConfigManager& config, platform::IKeyboard& keyboard) : m_config(config), m_keyboard(keyboard) {}
    // Stores the shortcut for `slot` from key `vk` and the modifiers held now; returns its text.
    std::string Record(int slot, int vk);

private:
    CConfigManager& m_config;
    platform::IKeyboard& m_keyboard;
};
