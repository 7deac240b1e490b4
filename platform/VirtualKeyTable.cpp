#include "VirtualKeyTable.h"

#include <array>
#include <cstddef>
#include <utility>

namespace platform {

namespace {

// Keysym values of X11/keysymdef.h and XF86keysym.h.
constexpr unsigned long kF1 = 0xffbe;
constexpr unsigned long kKeypad0 = 0xffb0;
constexpr unsigned long kLowerA = 0x61;
constexpr unsigned long kUpperA = 0x41;

// Named keys. Where two codes share a keysym (Shift and left Shift), the side-specific code comes
// first, so a keysym read back names the key the user pressed.
constexpr std::pair<int, unsigned long> kNamed[] = {
    {8, 0xff08},        {9, 0xff09},        {13, 0xff0d},       {19, 0xff13},       {20, 0xffe5},
    {27, 0xff1b},       {32, 0x0020},       {33, 0xff55},       {34, 0xff56},       {35, 0xff57},
    {36, 0xff50},       {37, 0xff51},       {38, 0xff52},       {39, 0xff53},       {40, 0xff54},
    {45, 0xff63},       {46, 0xffff},       {91, 0xffeb},       {92, 0xffec},       {93, 0xff67},
    {106, 0xffaa},      {107, 0xffab},      {109, 0xffad},      {110, 0xffae},      {111, 0xffaf},
    {144, 0xff7f},      {145, 0xff14},      {160, 0xffe1},      {161, 0xffe2},      {162, 0xffe3},
    {163, 0xffe4},      {164, 0xffe9},      {165, 0xffea},      {16, 0xffe1},       {17, 0xffe3},
    {18, 0xffe9},       {173, 0x1008ff12},  {174, 0x1008ff11},  {175, 0x1008ff13},  {176, 0x1008ff17},
    {177, 0x1008ff16},  {178, 0x1008ff15},  {179, 0x1008ff14},  {13, 0xff8d},       {165, 0xfe03},
};

// The numeric pad without Num Lock: Insert, End, Down, Next, Left, Begin, Right, Home, Up, Prior.
constexpr std::array<unsigned long, 10> kKeypadNoNumLock = {0xff9e, 0xff9c, 0xff99, 0xff9b, 0xff96,
                                                            0xff9d, 0xff98, 0xff95, 0xff97, 0xff9a};

// The typing block by XKB key name, with the virtual keys of a US keyboard (the punctuation keys
// are the VK_OEM codes). BKSL comes before AC12, the name some keymaps give the same key, so a
// virtual key turned back into a position finds the usual name.
struct KeyPosition {
    std::string_view name;
    int vk;
};
constexpr KeyPosition kPositions[] = {
    {"TLDE", 192}, {"AE01", '1'}, {"AE02", '2'}, {"AE03", '3'}, {"AE04", '4'}, {"AE05", '5'}, {"AE06", '6'},
    {"AE07", '7'}, {"AE08", '8'}, {"AE09", '9'}, {"AE10", '0'}, {"AE11", 189}, {"AE12", 187},
    {"AD01", 'Q'}, {"AD02", 'W'}, {"AD03", 'E'}, {"AD04", 'R'}, {"AD05", 'T'}, {"AD06", 'Y'}, {"AD07", 'U'},
    {"AD08", 'I'}, {"AD09", 'O'}, {"AD10", 'P'}, {"AD11", 219}, {"AD12", 221}, {"BKSL", 220},
    {"AC01", 'A'}, {"AC02", 'S'}, {"AC03", 'D'}, {"AC04", 'F'}, {"AC05", 'G'}, {"AC06", 'H'}, {"AC07", 'J'},
    {"AC08", 'K'}, {"AC09", 'L'}, {"AC10", 186}, {"AC11", 222}, {"AC12", 220},
    {"LSGT", 226}, {"AB01", 'Z'}, {"AB02", 'X'}, {"AB03", 'C'}, {"AB04", 'V'}, {"AB05", 'B'}, {"AB06", 'N'},
    {"AB07", 'M'}, {"AB08", 188}, {"AB09", 190}, {"AB10", 191},
};

} // namespace

int VirtualKeyForKeyPosition(std::string_view keyName)
{
    for (const KeyPosition& position : kPositions) {
        if (position.name == keyName)
            return position.vk;
    }
    return -1;
}

std::string_view KeyPositionForVirtualKey(int vk)
{
    for (const KeyPosition& position : kPositions) {
        if (position.vk == vk)
            return position.name;
    }
    return {};
}

unsigned long KeysymForVirtualKey(int vk)
{
    if (vk >= 'A' && vk <= 'Z')
        return kLowerA + static_cast<unsigned long>(vk - 'A');
    if (vk >= '0' && vk <= '9')
        return static_cast<unsigned long>(vk);
    if (vk >= 96 && vk <= 105)
        return kKeypad0 + static_cast<unsigned long>(vk - 96);
    if (vk >= 112 && vk <= 135)
        return kF1 + static_cast<unsigned long>(vk - 112);
    for (const auto& [code, keysym] : kNamed) {
        if (code == vk)
            return keysym;
    }
    return 0;
}

int VirtualKeyForKeysym(unsigned long keysym)
{
    if (keysym >= kLowerA && keysym < kLowerA + 26)
        return 'A' + static_cast<int>(keysym - kLowerA);
    if (keysym >= kUpperA && keysym < kUpperA + 26)
        return 'A' + static_cast<int>(keysym - kUpperA);
    if (keysym >= '0' && keysym <= '9')
        return static_cast<int>(keysym);
    if (keysym >= kKeypad0 && keysym < kKeypad0 + 10)
        return 96 + static_cast<int>(keysym - kKeypad0);
    for (std::size_t i = 0; i < kKeypadNoNumLock.size(); ++i) {
        if (kKeypadNoNumLock[i] == keysym)
            return 96 + static_cast<int>(i);
    }
    if (keysym >= kF1 && keysym < kF1 + 24)
        return 112 + static_cast<int>(keysym - kF1);
    for (const auto& [code, sym] : kNamed) {
        if (sym == keysym)
            return code;
    }
    return -1;
}

} // namespace platform
