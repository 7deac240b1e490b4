#include "DirEntries.h"

#include <dirent.h>

namespace platform {

bool AnyDirEntry(const std::string& folder, const std::function<bool(const char* name)>& visit)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return false;
    bool found = false;
    while (!found) {
        const dirent* entry = ::readdir(dir);
        if (!entry)
            break;
        if (entry->d_name[0] != '.')
            found = visit(entry->d_name);
    }
    ::closedir(dir);
    return found;
}

} // namespace platform
