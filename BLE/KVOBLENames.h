#pragma once
// The advertised names of the remotes this program drives over Bluetooth LE. Matched against the
// whole name, case-sensitively. To accept a new model, add its exact advertised name to the group
// of its family; nothing else needs to change.

#include <array>
#include <string_view>

namespace kvoble {

// Presenters.
constexpr std::array<std::string_view, 4> KVO_BLE_GROUP0_NAMES = {
    "Orvelle Presenter", "Orvelle Presenter Pro", "Orvelle Remote", "Orvelle Remote S"};
// Presenter-mice.
constexpr std::array<std::string_view, 2> KVO_BLE_GROUP1_NAMES = {"Orvelle Air Mouse", "Orvelle Air Mouse Pro"};

// 0 or 1 for an accepted name, -1 for any other.
constexpr int NameGroup(std::string_view name)
{
    for (std::string_view accepted : KVO_BLE_GROUP0_NAMES) {
        if (name == accepted)
            return 0;
    }
    for (std::string_view accepted : KVO_BLE_GROUP1_NAMES) {
        if (name == accepted)
            return 1;
    }
    return -1;
}

} // namespace kvoble
