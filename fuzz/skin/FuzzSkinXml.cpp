// Arbitrary bytes as a skin file and as attribute lists: the readers must neither crash nor
// read past their input. No widgets are made, so no QApplication is needed.

#include <cstddef>
#include <cstdint>
#include <string>

#include "AttributeList.h"
#include "ImageAttr.h"
#include "LayoutShare.h"
#include "SkinValues.h"
#include "SkinXmlParser.h"

namespace {

void ReadValues(const std::string& value)
{
    DWORD color = 0;
    RECT rc{};
    SIZE size{};
    int number = 0;
    bool flag = false;
    skin::ParseColor(value, color);
    skin::ParseRect(value, rc);
    skin::ParseSize(value, size);
    skin::ParseInt(value, number);
    skin::ParseBool(value, flag);
    skin::ParseImageAttr(value);
}

int Walk(const skin::SkinNode& node)
{
    int count = 1;
    for (const skin::Attribute& a : node.attributes) {
        ReadValues(a.second);
        // Values of <Default> and of image attributes are attribute lists themselves.
        for (const skin::Attribute& inner : skin::ParseAttributeList(a.second))
            ReadValues(inner.second);
    }
    for (const skin::SkinNode& child : node.children)
        count += Walk(child);
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Not null-terminated on purpose: the parsers get exactly `size` bytes.
    const std::string text(reinterpret_cast<const char*>(data), size);

    const skin::SkinDocument doc = skin::ParseSkinXml(text);
    if (doc.ok) {
        Walk(doc.window);
    }

    const std::vector<skin::Attribute> list = skin::ParseAttributeList(std::string_view(text));
    std::vector<skin::LayoutItem> items;
    for (const skin::Attribute& a : list) {
        ReadValues(a.second);
        int fixed = 0;
        RECT padding{};
        skin::ParseInt(a.second, fixed);
        skin::ParseRect(a.second, padding);
        items.push_back(skin::LayoutItem{fixed, static_cast<int>(padding.left), static_cast<int>(padding.right)});
    }
    skin::ShareLength(items, 0, static_cast<int>(size), static_cast<int>(list.size()));
    ReadValues(text);
    return 0;
}
