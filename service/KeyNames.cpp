#include "KeyNames.h"

#include <utility>

namespace {

constexpr std::pair<int, const char*> kNamedKeys[] = {
    {8, "Brackspace"}, {9, "Tab"},      {13, "Enter"},        {19, "Pause Break"},   {20, "CapsLock"},
    {27, "Esc"},       {32, "Space"},   {33, "PgUp"},         {34, "PgDn"},          {35, "End"},
    {36, "Home"},      {37, "Left"},    {38, "Up"},           {39, "Right"},         {40, "Down"},
    {45, "Insert"},    {46, "Delete"},  {91, "Win"},          {92, "Win"},           {144, "Num Lock"},
    {145, "Scroll Lock"}, {160, "Shift"}, {161, "Shift"},     {162, "Control"},      {163, "Control"},
    {164, "Alt"},      {165, "Alt"},    {173, "Volume Mute"}, {174, "Volume Down"},  {175, "Volume Up"},
    // The punctuation keys, named by what they type on a US keyboard (their virtual keys follow
    // the key's position, not the layout).
    {186, ";"}, {187, "="}, {188, ","}, {189, "-"}, {190, "."}, {191, "/"}, {192, "`"},
    {219, "["}, {220, "\\"}, {221, "]"}, {222, "'"}, {226, "<"},
};

} // namespace

std::string KeyName(int vk)
{
    if (vk >= 112 && vk <= 135)
        return "F" + std::to_string(vk - 111);
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'))
        return std::string(1, static_cast<char>(vk));
    if (vk >= 96 && vk <= 105)
        return std::string(1, static_cast<char>('0' + vk - 96));
    for (const auto& [code, name] : kNamedKeys) {
        if (code == vk)
            return name;
    }
    return {};
}

bool IsShortcutKey(int vk)
{
    return (vk >= 112 && vk <= 135) || (vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9') || (vk >= 96 && vk <= 105);
}

std::string ShortcutText(int modifier, int key)
{
    if (modifier == -1)
        return KeyName(key);
    if (key == -1)
        return KeyName(modifier);
    const char* prefix = nullptr;
    switch (modifier) {
    case 16: case 160: case 161: prefix = "Shift + "; break;
    case 17: case 162: case 163: prefix = "Ctrl + "; break;
    case 18: case 164: case 165: prefix = "Alt + "; break;
    case 91: case 92: prefix = "Win + "; break;
    default: return KeyName(key);
    }
    return prefix + KeyName(key);
}
