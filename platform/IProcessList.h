#pragma once
// Whether a program runs under any process the user may look at. Any thread.

#include <string>

namespace platform {

class IProcessList {
public:
    virtual ~IProcessList() = default;
    // True when the executable path of a process contains `name`, case-insensitively.
    virtual bool IsProcessRunning(const std::string& name) const = 0;
};

} // namespace platform
