#pragma once
// Every key of config.ini with its section, name and default. The settings object and anything
// else that touches the file go through this one table.

#include <string>

enum class ConfigInt {
    NewVersion,               // FunSelect: 1 once the first-run defaults are written
    HotKey,                   // FunSelect
    MouseDPI,                 // FunSet_Set: cursor sensitivity, the "sensitivity value"
    ShockIntensity,           // FunSet_Set: vibration 1 weak .. 3 strong
    CursorSpeedAdaptiveModel, // FunSet_Set
    SearchlightShowMouse,
    SearchlightSaveStatu,
    SearchlightAlphaVal,
    ZoomShowMouse,
    ZoomSaveStatu,
    ZoomAlphaVal,
    DigitalLaserSaveStatu,
    DigitalLaserColor,
    LineColor,      // FunSet_Postil
    LineSize,       // FunSet_Postil, stored as a real by older versions
    MovementSpeed,  // FunSet_Postil
    IsControlSpeed, // FunSet_Postil, any non-zero value counts as 1
    IsFirstRun,     // UpdateVersion
    LogLevel,       // Log/Log_Level
    LogDeleteDay,   // Log/Log_Delete_Day
    Count
};

enum class ConfigReal { SearchlightBorderRound, SearchlightAspectRatio, ZoomBorderRound, ZoomAspectRatio, ZoomMom, Count };

enum class ConfigText {
    SelValue,      // six digits: the function shown in each row of the function list
    IsUsed,        // six "0"/"1": whether that row takes part in switching
    MouseSelValue, // written at first run only
    MouseIsUsed,   // written at first run only
    Count
};

// CustomKey values kept per device slot: 0 presenter, 1 mouse-type device ("...ForMouse").
enum class ConfigSlotInt { Key, KeybordValue1, KeybordValue2, SelectType, SelectIndex, Count };
enum class ConfigSlotText { WebUrl, Count };

constexpr int kSlotPresenter = 0;
constexpr int kSlotMouse = 1;

// `cached`: loaded into memory by the settings object; otherwise every get reads the file.
struct IntKeyInfo {
    const char* section;
    const char* key;
    int def;
    bool cached;
};
struct RealKeyInfo {
    const char* section;
    const char* key;
    float def;
};
struct TextKeyInfo {
    const char* section;
    const char* key;
    const char* def;
    bool cached;
};

const IntKeyInfo& KeyInfo(ConfigInt key);
const RealKeyInfo& KeyInfo(ConfigReal key);
const TextKeyInfo& KeyInfo(ConfigText key);
const IntKeyInfo& KeyInfo(ConfigSlotInt key);
const TextKeyInfo& KeyInfo(ConfigSlotText key);

constexpr const char* kCustomKeySection = "CustomKey";
// The key name of a CustomKey value for a device slot; any slot other than 0 is the mouse slot.
std::string SlotKeyName(const char* key, int slot);
// "Image%dUrl" / "Image%dUrlForMouse".
std::string ImageUrlKeyName(int index, int slot);
