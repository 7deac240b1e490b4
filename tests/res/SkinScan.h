#pragma once
// Reads a skin XML file: whether it is well-formed, its root, and every element with its
// attributes, so the checks can look for control names and the pictures they name.

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct SkinElement {
    std::string tag;
    std::map<std::string, std::string> attributes;
    int line = 0;

    std::string Attribute(const std::string& name) const;
};

struct SkinScan {
    bool opened = false;
    bool wellFormed = false;
    std::string error; // parser message with line, when not well-formed
    std::vector<SkinElement> elements; // document order; the root is first

    std::vector<std::string> ControlNames() const;
};

SkinScan ScanSkinFile(const std::string& path);

// name="value" pairs of an attribute list as the language files hold them. `complete` is false
// when text is left over that is no pair (a missing quote, a name without value).
struct AttributeListScan {
    std::vector<std::pair<std::string, std::string>> attributes;
    bool complete = true;
};
AttributeListScan ScanAttributeList(std::string_view text);

// The picture files an attribute names, as paths relative to ImgRes with '/' separators:
// a bare path or the file='...' part of an image description. Only attributes whose name ends
// in "image" name pictures.
std::vector<std::string> PicturesNamedBy(const std::string& attribute, const std::string& value);

// Entry names of a zip archive from its central directory; empty when it is no readable zip.
std::vector<std::string> ZipEntryNames(const std::string& path);
