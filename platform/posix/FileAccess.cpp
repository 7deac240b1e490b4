#include "FileAccess.h"

#include <unistd.h>

namespace platform {

bool IsWritableByUser(const std::string& path) { return ::access(path.c_str(), W_OK) == 0; }

} // namespace platform
