// The virtual-key table against the keysym values of X11/keysymdef.h and XF86keysym.h.

#include "VirtualKeyTable.h"

#include <gtest/gtest.h>

using platform::KeyPositionForVirtualKey;
using platform::KeysymForVirtualKey;
using platform::VirtualKeyForKeyPosition;
using platform::VirtualKeyForKeysym;

TEST(VirtualKeyTable, KeysymsOfTheKeysTheActionsSend)
{
    EXPECT_EQ(KeysymForVirtualKey('A'), 0x61u);       // a, not A: no Shift implied
    EXPECT_EQ(KeysymForVirtualKey(116), 0xffc2u);     // F5
    EXPECT_EQ(KeysymForVirtualKey(135), 0xffd5u);     // F24
    EXPECT_EQ(KeysymForVirtualKey(27), 0xff1bu);      // Escape
    EXPECT_EQ(KeysymForVirtualKey(38), 0xff52u);      // Up
    EXPECT_EQ(KeysymForVirtualKey(105), 0xffb9u);     // KP_9
    EXPECT_EQ(KeysymForVirtualKey(161), 0xffe2u);     // Shift_R
    EXPECT_EQ(KeysymForVirtualKey(91), 0xffebu);      // Super_L
    EXPECT_EQ(KeysymForVirtualKey(176), 0x1008ff17u); // XF86AudioNext
    EXPECT_EQ(KeysymForVirtualKey(179), 0x1008ff14u); // XF86AudioPlay
    EXPECT_EQ(KeysymForVirtualKey(173), 0x1008ff12u); // XF86AudioMute
    EXPECT_EQ(KeysymForVirtualKey(255), 0u);
}

TEST(VirtualKeyTable, KeysymsReadBackNameTheSideAndIgnoreCaseAndNumLock)
{
    for (int vk : {int('A'), int('Z'), int('0'), int('9'), 96, 105, 112, 135, 27, 37, 40, 91, 92, 160, 161, 162, 163, 164, 165, 173, 175, 176, 179})
        EXPECT_EQ(VirtualKeyForKeysym(KeysymForVirtualKey(vk)), vk) << vk;
    EXPECT_EQ(VirtualKeyForKeysym(0x41), 'A');    // upper-case keysym
    EXPECT_EQ(VirtualKeyForKeysym(0xff9e), 96);   // KP_Insert: pad 0 without Num Lock
    EXPECT_EQ(VirtualKeyForKeysym(0xffe1), 160);  // Shift_L is left Shift, not the generic 16
    EXPECT_EQ(VirtualKeyForKeysym(0x12345), -1);
}

TEST(VirtualKeyTable, TypingBlockPositionsHaveTheirUsKeyboardCodesBothWays)
{
    EXPECT_EQ(VirtualKeyForKeyPosition("AC01"), 'A');  // right of Caps Lock
    EXPECT_EQ(VirtualKeyForKeyPosition("AC10"), 186);  // ; :
    EXPECT_EQ(VirtualKeyForKeyPosition("TLDE"), 192);  // ` ~
    // Keymaps name the key above Return BKSL or AC12; both are the backslash key, known as BKSL.
    EXPECT_EQ(VirtualKeyForKeyPosition("AC12"), 220);
    EXPECT_EQ(KeyPositionForVirtualKey(220), "BKSL");
    for (int vk : {int('A'), int('Z'), int('1'), int('0'), 186, 187, 188, 189, 190, 191, 192, 219, 221, 222, 226})
        EXPECT_EQ(VirtualKeyForKeyPosition(KeyPositionForVirtualKey(vk)), vk) << vk;
    EXPECT_EQ(VirtualKeyForKeyPosition("ESC"), -1);  // named keys go by their keysyms
    EXPECT_TRUE(KeyPositionForVirtualKey(116).empty());
}
