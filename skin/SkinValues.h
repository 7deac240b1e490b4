#pragma once
// Readers for the value texts of skin attributes. Standard library only; nothing here throws,
// and a value that does not parse leaves the result untouched and returns false.

#include <cstdint>
#include <string_view>

#include "SkinTypes.h"

namespace skin {

// "#AARRGGBB", "#RRGGBB" (opaque), "0xAARRGGBB", "0xRRGGBB" or a bare hex number.
bool ParseColor(std::string_view text, DWORD& argb);
// "l,t,r,b" with optional blanks; missing trailing numbers are 0.
bool ParseRect(std::string_view text, RECT& rc);
// "cx,cy".
bool ParseSize(std::string_view text, SIZE& size);
// A decimal integer with optional sign; the value saturates at the int range.
bool ParseInt(std::string_view text, int& value);
// "true"/"false" (any case) or "1"/"0".
bool ParseBool(std::string_view text, bool& value);

} // namespace skin
