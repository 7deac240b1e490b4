#pragma once
// The command pipe as a Unix socket served by QLocalServer: a full path, by default
// "CommandPipe" in $XDG_RUNTIME_DIR (else the user's private 0700 folder), reachable by the
// user only. Works on any thread without an event loop: it uses the blocking waits only, and the
// server lives and dies inside SendOnce.

#include "ICommandPipe.h"

namespace platform {

class LocalCommandPipe final : public ICommandPipe {
public:
    static constexpr const char* kName = "CommandPipe";

    // Empty: DefaultPath() at each attempt.
    explicit LocalCommandPipe(std::string path = {}) : m_path(std::move(path)) {}

    Result SendOnce(const std::string& bytes, int timeoutMs, std::string* error) override;

    // "<folder>/CommandPipe"; empty when no private folder can be had.
    static std::string DefaultPath(std::string* error = nullptr);

private:
    std::string m_path;
};

} // namespace platform
