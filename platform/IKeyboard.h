#pragma once
// The keyboard as the custom actions and the slide-show toggle use it: one key event at a time,
// named by its Windows virtual-key code (what config.ini stores), and the live state of a key.
// Callable from any thread.

namespace platform {

class IKeyboard {
public:
    virtual ~IKeyboard() = default;
    // One key event. `extended` marks the media and volume keys, which the Windows form sends as
    // extended keys; a key the desktop has no symbol for is skipped.
    virtual void SendKey(int vk, bool up, bool extended) = 0;
    // Whether the key is held right now. 16, 17 and 18 (Shift, Control, Alt) mean either side.
    virtual bool IsKeyDown(int vk) = 0;
};

} // namespace platform
