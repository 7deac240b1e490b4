#include "CShortcutRecorder.h"

#include "ConfigManager.h"
#include "IKeyboard.h"
#include "KVOLog.h"
#include "KeyNames.h"

#include <cstdio>
#include <utility>

namespace {

enum Modifier { MOD_CTRL, MOD_SHIFT, MOD_ALT, MOD_WIN, MOD_COUNT };

// In the order the keys are tested; a later test of the same modifier decides its flag.
struct ModifierTest {
    int keys[2];
    Modifier flag;
    int vk;  // what the slot stores for it
    const char* log;
};
constexpr ModifierTest kTests[] = {
    {{17, 17}, MOD_CTRL, 17, "GetAsyncKeyState VK_CONTROL"},
    {{16, 16}, MOD_SHIFT, 16, "GetAsyncKeyState VK_SHIFT"},
    {{18, 18}, MOD_ALT, 18, "GetAsyncKeyState VK_MENU"},
    {{91, 92}, MOD_WIN, 91, "GetAsyncKeyState VK_LWIN || VK_RWIN"},
    {{162, 163}, MOD_CTRL, 162, "GetAsyncKeyState VK_LCONTROL || VK_RCONTROL"},
    {{160, 161}, MOD_SHIFT, 160, "GetAsyncKeyState VK_LSHIFT || VK_RSHIFT"},
    {{164, 165}, MOD_ALT, 164, "GetAsyncKeyState VK_LMENU || VK_RMENU"},
};

// Written in this order, each only when its modifier is held: the last one stands.
constexpr std::pair<Modifier, const char*> kTexts[] = {
    {MOD_SHIFT, "Shift + %s"}, {MOD_ALT, "Alt + %s"}, {MOD_CTRL, "Ctrl + %s"}, {MOD_WIN, "Win + %s"}};

} // namespace

std::string CShortcutRecorder::Record(int slot, int vk)
{
    bool held[MOD_COUNT] = {};
    int modifier = -1;
    for (const ModifierTest& test : kTests) {
        const bool down = m_keyboard.IsKeyDown(test.keys[0]) || m_keyboard.IsKeyDown(test.keys[1]);
        held[test.flag] = down;
        if (down) {
            modifier = test.vk;
            WriteLog(KVO_LOG_DEBUG, "%s", test.log);
        }
    }
    const bool anyHeld = held[MOD_CTRL] || held[MOD_SHIFT] || held[MOD_ALT] || held[MOD_WIN];

    std::string text = KeyName(vk);
    if (anyHeld) {
        if (IsShortcutKey(vk)) {
            for (const auto& [flag, format] : kTexts) {
                if (held[flag]) {
                    char buffer[64];
                    std::snprintf(buffer, sizeof buffer, format, KeyName(vk).c_str());
                    text = buffer;
                }
            }
        } else {
            vk = -1;
        }
        m_config.SetSlotInt(ConfigSlotInt::KeybordValue1, slot, modifier, true);
    } else {
        m_config.SetSlotInt(ConfigSlotInt::KeybordValue1, slot, -1, true);
    }
    m_config.SetSlotInt(ConfigSlotInt::KeybordValue2, slot, vk, true);
    WriteLog(KVO_LOG_INFO, "CustomKeyBoard :%s", text.c_str());
    return text;
}
