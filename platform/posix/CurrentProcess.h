#pragma once
// Facts about the running process itself.

#include <string>

namespace platform {

// This process's id; unique among the running processes, so good for naming scratch files.
int CurrentProcessId();

// The full path of the running executable as the kernel knows it; "" when it cannot be read.
std::string ExecutablePath();

} // namespace platform
