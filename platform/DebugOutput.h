#pragma once
// The debug-output channel: a side stream for developers, separate from the log files.
// It writes to standard error when ORVELLE_DEBUG_OUTPUT is set to a non-empty value other than "0".

#include <string_view>

namespace platform {

// True when the channel writes to standard error or a tap listens: worth formatting for.
bool DebugOutputEnabled();
// Writes the text as it is (callers add their own line ends). Cheap when the channel is off.
void DebugOutput(std::string_view text);
// Tests switch the channel and read what it received.
void SetDebugOutputEnabled(bool enabled);
using DebugOutputTap = void (*)(std::string_view text);
void SetDebugOutputTap(DebugOutputTap tap);

} // namespace platform
