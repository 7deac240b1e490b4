#pragma once
// The launcher starts the program with exactly one argument, "hideWindows", when the receiver
// appears; only that whole, exact command line starts it hidden in the tray.

inline constexpr const char* kHideWindowsArg = "hideWindows";

bool IsHiddenStartCommandLine(int argc, const char* const* argv);
