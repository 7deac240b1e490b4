#pragma once
// Reads a skin file into a plain tree, separate from widget creation so that it runs without a
// QApplication (and fast, for fuzzing). Widgets are built from the tree by SkinBuilder.

#include <string>
#include <vector>

#include "AttributeList.h"

namespace skin {

struct SkinNode {
    std::string tag;
    std::vector<Attribute> attributes;
    std::vector<SkinNode> children;

    // The value of the attribute, or nullptr.
    const std::string* Find(const std::string& name) const;
};

struct SkinDocument {
    SkinNode window;       // the root element (normally <Window>) with its attributes
    std::string error;     // empty on success
    bool ok = false;
};

// Nesting deeper than this is reported as an error rather than followed.
inline constexpr int kMaxSkinDepth = 64;

// Parses UTF-8 XML text. On malformed XML `ok` is false and `error` says where.
SkinDocument ParseSkinXml(const std::string& xml);
// Reads and parses a file; a missing or unreadable file is an error too.
SkinDocument ParseSkinFile(const std::string& path);

} // namespace skin
