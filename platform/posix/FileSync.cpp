#include "FileSync.h"

#include <unistd.h>

namespace platform {

bool SyncFile(std::FILE* file)
{
    if (file == nullptr || std::fflush(file) != 0)
        return false;
    return ::fsync(::fileno(file)) == 0;
}

} // namespace platform
