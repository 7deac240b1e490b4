#pragma once
// Walking a folder such as /proc or /sys/class/hidraw without building a list: for polls that run
// every second and stop at the first match.

#include <functional>
#include <string>

namespace platform {

// Calls `visit` with the name of each entry of `folder` that does not start with a dot, until it
// returns true. True when it did; false when none did or the folder cannot be read.
bool AnyDirEntry(const std::string& folder, const std::function<bool(const char* name)>& visit);

} // namespace platform
