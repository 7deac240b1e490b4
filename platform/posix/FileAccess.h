#pragma once
// Questions about files that the standard library cannot answer for the calling user.

#include <string>

namespace platform {

// Whether this user may write into `path`, as the kernel answers it: owner, group and mode, and
// also a read-only mount, which the permission bits alone do not show.
bool IsWritableByUser(const std::string& path);

} // namespace platform
