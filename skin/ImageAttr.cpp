#include "ImageAttr.h"

#include <algorithm>

#include "AttributeList.h"
#include "SkinValues.h"

namespace skin {

std::string NormaliseSkinPath(std::string_view path)
{
    std::string out;
    out.reserve(path.size());
    for (char c : path) {
        if (c == '\\')
            c = '/';
        if (c == '/' && !out.empty() && out.back() == '/')
            continue;
        out += c;
    }
    while (out.size() >= 2 && out[0] == '.' && out[1] == '/')
        out.erase(0, 2);
    return out;
}

ImageAttr ParseImageAttr(std::string_view text)
{
    ImageAttr spec;
    // Trim blanks; a text without '=' is a bare file name.
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    if (text.empty())
        return spec;
    if (text.find('=') == std::string_view::npos) {
        spec.file = NormaliseSkinPath(text);
        return spec;
    }
    for (const Attribute& a : ParseAttributeList(text)) {
        const std::string& name = a.first;
        const std::string& value = a.second;
        if (name == "file" || name == "res") {
            spec.file = NormaliseSkinPath(value);
        } else if (name == "source") {
            spec.hasSource = ParseRect(value, spec.source);
        } else if (name == "corner") {
            ParseRect(value, spec.corner);
        } else if (name == "dest") {
            spec.hasDest = ParseRect(value, spec.dest);
        } else if (name == "fade") {
            int fade = 255;
            if (ParseInt(value, fade))
                spec.fade = std::clamp(fade, 0, 255);
        } else if (name == "hole") {
            ParseBool(value, spec.hole);
        }
    }
    return spec;
}

} // namespace skin
