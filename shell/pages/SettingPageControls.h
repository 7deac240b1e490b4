#pragma once
// Small pieces the settings pages share: the switch and radio looks, tooltips filled with a
// shown value, and the re-placing of the floating layer over the main window.

#include "DuilibButton.h"

#include <string>

inline constexpr const char* kSwitchOnImage = "file='button\\FunctionSet\\on.png'";
inline constexpr const char* kSwitchOffImage = "file='button\\FunctionSet\\off.png'";

// A switch button shows on.png or off.png.
void ShowSwitch(CDuilibButton& button, bool on);
// A radio button shows Select.png when chosen, SelectNot.png (hot: SelectNot_h.png) otherwise.
void ShowRadio(CDuilibButton& button, bool chosen);
// The text of (section, key) with its first "%s" replaced by `value`. Language files are outside
// data: their text is never used as a printf format.
std::string FillText(const std::string& section, const std::string& key, const std::string& value);
// printf-style formatting of a shown value ("%.2f", "1 : %.2f", "%d%%").
std::string FormatValue(const char* format, double value);
std::string FormatValue(const char* format, int value);
// Asks the main window to place the floating layer again (WM_USER + 1014).
void PostFloatingLayerPlace(CPaintManagerUI* manager);
// The name of a notification's sender; empty without one.
std::string SenderName(const TNotifyUI& msg);
