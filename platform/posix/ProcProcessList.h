#pragma once
// The process list read from /proc: each process's executable link (its command line when the
// link is unreadable). Processes that cannot be read are skipped.

#include "IProcessList.h"

#include <cstddef>
#include <functional>
#include <utility>

namespace platform {

class ProcProcessList final : public IProcessList {
public:
    // At most this many process entries are looked at per call of IsProcessRunning.
    static constexpr std::size_t kMaxProcesses = 4096;

    // `procFolder` is where the process entries are read: /proc, or a copy of its layout in tests.
    explicit ProcProcessList(std::string procFolder = "/proc") : m_proc(std::move(procFolder)) {}

    bool IsProcessRunning(const std::string& name) const override;
    // True when a process runs this very program file: its executable link names `path` exactly,
    // also when the file was replaced since it started (as by an upgrade). A copy of the program
    // elsewhere never counts. Every process is looked at.
    bool IsExecutableRunning(const std::string& path) const;

private:
    // Calls `visit` with the folder of each process until it returns true, looking at no more than
    // `limit` processes.
    bool AnyProcess(std::size_t limit, const std::function<bool(const std::string& pidFolder)>& visit) const;

    std::string m_proc;
};

} // namespace platform
