#pragma once
// Unpacks the skin archive into the install folder at every start, so the skin on disk always
// matches the one shipped (a file edited by hand is replaced).
//
// Files already holding the archive's bytes are left alone; the others are replaced.
// All or nothing: every file is first written beside its destination under a temporary name and
// only when the whole archive read back without error are they renamed into place. A damaged
// archive therefore leaves the existing skin untouched. Entries whose names are absolute or step
// out with ".." are skipped with a log line.

#include <string>

struct ImgResUnpackResult {
    bool ok = false;  // the archive opened and every entry read back intact
    int files = 0;    // files put in place
    int unchanged = 0; // files already on disk with the archive's content, left as they are
    int folders = 0;  // folder entries
    int skipped = 0;  // unsafe names
};

class CImgResUnpacker {
public:
    static constexpr size_t kChunk = 0x4000;

    static ImgResUnpackResult Unpack(const std::string& zipPath, const std::string& destFolder);
    // True for a relative name none of whose parts (split at '/' or '\') is "..".
    static bool IsSafeEntryName(const std::string& name);
};
