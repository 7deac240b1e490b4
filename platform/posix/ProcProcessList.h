#pragma once
// The process list read from /proc: each process's executable link (its command line when the
// link is unreadable). Processes that cannot be read are skipped.

#include "IProcessList.h"

#include <cstddef>

namespace platform {

class ProcProcessList final : public IProcessList {
public:
    // At most this many process entries are looked at per call.
    static constexpr std::size_t kMaxProcesses = 4096;

    bool IsProcessRunning(const std::string& name) const override;
};

} // namespace platform
