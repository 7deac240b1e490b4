#pragma once
// The selectable functions and the payload of a function command.

#include <cstdint>

enum FunctionId : int32_t {
    FUNCTION_NONE = 0,
    FUNCTION_MOUSE = 1,
    FUNCTION_SPOTLIGHT = 2,
    FUNCTION_DIGITAL_LASER = 3,
    FUNCTION_MAGNIFIER = 4,
    FUNCTION_ANNOTATION = 5,
    FUNCTION_SCREENSHOT = 6,
};

constexpr bool IsSelectableFunction(int functionId)
{
    return functionId >= FUNCTION_MOUSE && functionId <= FUNCTION_SCREENSHOT;
}

// Play state of the function manager.
enum FunctionState : int32_t {
    FUNCTION_STATE_IDLE = 0,
    FUNCTION_STATE_RUNNING = 1,   // an effect is shown and follows the pointer
    FUNCTION_STATE_SWITCHING = 2, // a start or stop is in progress
};

struct FunctionCommand {
    int32_t key = 0;                // key code that caused the command, or 0
    int32_t subKey = 0;             // button code of a wireless-mouse event, or 0
    uint8_t keyFlag = 0;            // 1 selects the second variant of play, stop and mouse mode
    int32_t nSwtichMouseMode = 0;   // mouse mode to request from the device (0, 1 or 2)
    uint8_t hideSettingsWindow = 0; // hide the settings window first (unless the mouse is current)
    uint8_t showToolTip = 0;        // 0 hides the function tooltip; 1 lets a new function show it
    uint8_t hideBlankScreen = 0;    // hide the blank screen first
    int32_t reserved = 0;
    int32_t effectAction = 0;       // 1 one size step up, 2 one size step down
    int32_t restoreFirst = 0;       // hide tooltip and restore the cursor first; the stop's force flag
    int32_t selectFunction = 0;     // with the function key: switch to this function, not the next one
};
