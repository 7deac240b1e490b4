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

} // namespace

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
