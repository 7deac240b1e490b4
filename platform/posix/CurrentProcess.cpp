#include "CurrentProcess.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace platform {

int CurrentProcessId() { return static_cast<int>(::getpid()); }

std::string ExecutablePath()
{
    std::error_code ec;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : path.string();
}

} // namespace platform
