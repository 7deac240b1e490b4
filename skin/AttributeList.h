#pragma once
// The attribute-list syntax of skins and language tables: name="value" pairs separated by
// blanks, e.g.  normalimage="file='button\Select.png' source='0,0,20,20'" pos="10,10,90,40".
// Standard library only.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace skin {

using Attribute = std::pair<std::string, std::string>;

// Returns the pairs that parsed, in order. Parsing stops at the first malformed pair (a name
// without '=' or a value without its opening quote) and at an unterminated value; whatever came
// before it is kept. Values may be quoted with " or ', and a double-quoted value may hold
// single-quoted sub-values.
std::vector<Attribute> ParseAttributeList(std::string_view text);

} // namespace skin
