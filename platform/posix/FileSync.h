#pragma once
// Pushes a file's written bytes to the storage device before the caller relies on them, so a
// file that replaces another by rename() is complete even after a power cut.

#include <cstdio>

namespace platform {

// Flushes the stream's buffer and the system's cache of the file. False when either fails.
bool SyncFile(std::FILE* file);

} // namespace platform
