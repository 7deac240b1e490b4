#pragma once
// The image attribute text of controls: either a bare file name or a list of sub-values such as
//   file='button\Select.png' source='0,0,20,20' corner='4,4,4,4' dest='0,0,20,20'
// File names are relative to the resource folder; backslashes are read as '/'.
// Standard library only.

#include <cstdint>
#include <string>
#include <string_view>

#include "SkinTypes.h"

namespace skin {

struct ImageAttr {
    std::string file;     // with '/' separators; empty = no image
    RECT source{};        // part of the picture to use; all 0 = whole picture
    RECT corner{};        // nine-patch border widths kept unscaled
    RECT dest{};          // where in the control; all 0 = the whole control
    int fade = 255;       // 0..255 opacity
    bool hasSource = false;
    bool hasDest = false;
    bool hole = false;    // nine-patch without its middle
};

ImageAttr ParseImageAttr(std::string_view text);
// Backslashes to '/', leading "./" and repeated separators removed.
std::string NormaliseSkinPath(std::string_view path);

} // namespace skin
