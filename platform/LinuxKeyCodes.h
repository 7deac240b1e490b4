#pragma once
// Windows virtual-key codes (what config.ini stores) as Linux input key codes (the KEY_* numbers
// of linux/input-event-codes.h), for keys injected through a kernel input device. Input codes
// name key positions: letters, digits and punctuation are the keys of a US keyboard. Portable:
// the codes are plain numbers.

#include <vector>

namespace platform {

// -1 when the virtual key has no input key code.
int LinuxKeyCodeForVirtualKey(int vk);
// Every input key code the table knows, each once: what a virtual keyboard declares.
std::vector<int> AllLinuxKeyCodes();

} // namespace platform
