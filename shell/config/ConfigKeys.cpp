#include "ConfigKeys.h"

#include <array>

namespace {

constexpr std::array<IntKeyInfo, static_cast<size_t>(ConfigInt::Count)> kIntKeys{{
    {"FunSelect", "NewVersion", 0, false},
    {"FunSelect", "HotKey", 3, true},
    {"FunSet_Set", "MouseDPI", 80, true},
    {"FunSet_Set", "ShockIntensity", 2, true},
    {"FunSet_Set", "CursorSpeedAdaptiveModel", 0, true},
    {"FunSet_Searchlight", "ShowMouse", 0, true},
    {"FunSet_Searchlight", "SaveStatu", 0, true},
    {"FunSet_Searchlight", "AlphaVal", 100, true},
    {"FunSet_Zoom", "ShowMouse", 0, true},
    {"FunSet_Zoom", "SaveStatu", 0, true},
    {"FunSet_Zoom", "AlphaVal", 100, true},
    {"FunSet_DigitalLaser", "SaveStatu", 0, true},
    {"FunSet_DigitalLaser", "DigitalLaserColor", 1, true},
    {"FunSet_Postil", "LineColor", 1, true},
    {"FunSet_Postil", "LineSize", 6, true},
    {"FunSet_Postil", "MovementSpeed", 40, true},
    {"FunSet_Postil", "IsControlSpeed", 0, true},
    {"UpdateVersion", "IsFirstRun", 1, false},
    {"Log", "Log_Level", 1, true},
    {"Log", "Log_Delete_Day", 7, true},
}};

constexpr std::array<RealKeyInfo, static_cast<size_t>(ConfigReal::Count)> kRealKeys{{
    {"FunSet_Searchlight", "BorderRound", 0.5f},
    {"FunSet_Searchlight", "AspectRatio", 0.5f},
    {"FunSet_Zoom", "BorderRound", 0.5f},
    {"FunSet_Zoom", "AspectRatio", 0.5f},
    {"FunSet_Zoom", "ZoomMom", 2.0f},
}};

constexpr std::array<TextKeyInfo, static_cast<size_t>(ConfigText::Count)> kTextKeys{{
    {"FunSelect", "SelValue", "123456", true},
    {"FunSelect", "IsUsed", "111110", true},
    {"FunSelect", "Mouse_SelValue", "", false},
    {"FunSelect", "Mouse_IsUsed", "", false},
}};

constexpr std::array<IntKeyInfo, static_cast<size_t>(ConfigSlotInt::Count)> kSlotIntKeys{{
    {kCustomKeySection, "key", 1, true},
    {kCustomKeySection, "keybordValue1", -1, true},
    {kCustomKeySection, "keybordValue2", -1, true},
    {kCustomKeySection, "SelectType", 1, true},
    {kCustomKeySection, "SelectIndex", 1, true},
}};

constexpr std::array<TextKeyInfo, static_cast<size_t>(ConfigSlotText::Count)> kSlotTextKeys{{
    {kCustomKeySection, "weburl", "", true},
}};

template <typename Table, typename Key>
const auto& At(const Table& table, Key key)
{
    return table.at(static_cast<size_t>(key));
}

} // namespace

const IntKeyInfo& KeyInfo(ConfigInt key) { return At(kIntKeys, key); }
const RealKeyInfo& KeyInfo(ConfigReal key) { return At(kRealKeys, key); }
const TextKeyInfo& KeyInfo(ConfigText key) { return At(kTextKeys, key); }
const IntKeyInfo& KeyInfo(ConfigSlotInt key) { return At(kSlotIntKeys, key); }
const TextKeyInfo& KeyInfo(ConfigSlotText key) { return At(kSlotTextKeys, key); }

std::string SlotKeyName(const char* key, int slot)
{
    std::string name(key);
    if (slot != kSlotPresenter)
        name += "ForMouse";
    return name;
}

std::string ImageUrlKeyName(int index, int slot)
{
    return SlotKeyName(("Image" + std::to_string(index) + "Url").c_str(), slot);
}
