#include "LinuxKeyCodes.h"

#include <algorithm>
#include <utility>

namespace platform {
namespace {

// Virtual key -> KEY_* code. Shift, Control and Alt without a side are the left keys.
constexpr std::pair<int, int> kCodes[] = {
    // Backspace, Tab, Enter, Pause, Caps Lock, Escape, Space
    {8, 14}, {9, 15}, {13, 28}, {19, 119}, {20, 58}, {27, 1}, {32, 57},
    // Page Up, Page Down, End, Home, Left, Up, Right, Down, Print, Insert, Delete
    {33, 104}, {34, 109}, {35, 107}, {36, 102}, {37, 105}, {38, 103}, {39, 106}, {40, 108}, {44, 99},
    {45, 110}, {46, 111},
    // digits 0 to 9
    {'0', 11}, {'1', 2}, {'2', 3}, {'3', 4}, {'4', 5}, {'5', 6}, {'6', 7}, {'7', 8}, {'8', 9}, {'9', 10},
    // letters
    {'A', 30}, {'B', 48}, {'C', 46}, {'D', 32}, {'E', 18}, {'F', 33}, {'G', 34}, {'H', 35}, {'I', 23},
    {'J', 36}, {'K', 37}, {'L', 38}, {'M', 50}, {'N', 49}, {'O', 24}, {'P', 25}, {'Q', 16}, {'R', 19},
    {'S', 31}, {'T', 20}, {'U', 22}, {'V', 47}, {'W', 17}, {'X', 45}, {'Y', 21}, {'Z', 44},
    // left and right Super, Menu
    {91, 125}, {92, 126}, {93, 127},
    // numeric pad 0 to 9, *, +, -, ., /
    {96, 82}, {97, 79}, {98, 80}, {99, 81}, {100, 75}, {101, 76}, {102, 77}, {103, 71}, {104, 72}, {105, 73},
    {106, 55}, {107, 78}, {109, 74}, {110, 83}, {111, 98},
    // F1 to F24
    {112, 59}, {113, 60}, {114, 61}, {115, 62}, {116, 63}, {117, 64}, {118, 65}, {119, 66}, {120, 67},
    {121, 68}, {122, 87}, {123, 88}, {124, 183}, {125, 184}, {126, 185}, {127, 186}, {128, 187},
    {129, 188}, {130, 189}, {131, 190}, {132, 191}, {133, 192}, {134, 193}, {135, 194},
    // Num Lock, Scroll Lock
    {144, 69}, {145, 70},
    // Shift, Control, Alt: either side, then left and right
    {16, 42}, {17, 29}, {18, 56}, {160, 42}, {161, 54}, {162, 29}, {163, 97}, {164, 56}, {165, 100},
    // mute, volume down, volume up, next, previous, stop, play/pause
    {173, 113}, {174, 114}, {175, 115}, {176, 163}, {177, 165}, {178, 166}, {179, 164},
    // punctuation by its place on a US keyboard: ; = , - . / ` [ \ ] ' and the key left of Z
    {186, 39}, {187, 13}, {188, 51}, {189, 12}, {190, 52}, {191, 53}, {192, 41}, {219, 26}, {220, 43},
    {221, 27}, {222, 40}, {226, 86},
};

} // namespace

int LinuxKeyCodeForVirtualKey(int vk)
{
    for (const auto& [virtualKey, code] : kCodes) {
        if (virtualKey == vk)
            return code;
    }
    return -1;
}

std::vector<int> AllLinuxKeyCodes()
{
    std::vector<int> codes;
    for (const auto& entry : kCodes) {
        if (std::find(codes.begin(), codes.end(), entry.second) == codes.end())
            codes.push_back(entry.second);
    }
    return codes;
}

} // namespace platform
