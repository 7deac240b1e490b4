#include "AttributeList.h"

namespace skin {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

} // namespace

std::vector<Attribute> ParseAttributeList(std::string_view text)
{
    std::vector<Attribute> out;
    size_t i = 0;
    const size_t n = text.size();
    while (true) {
        while (i < n && IsBlank(text[i]))
            ++i;
        if (i >= n)
            break;
        const size_t nameStart = i;
        while (i < n && text[i] != '=' && !IsBlank(text[i]) && text[i] != '"' && text[i] != '\'')
            ++i;
        const size_t nameEnd = i;
        while (i < n && IsBlank(text[i]))
            ++i;
        if (nameEnd == nameStart || i >= n || text[i] != '=')
            break;
        ++i;
        while (i < n && IsBlank(text[i]))
            ++i;
        if (i >= n || (text[i] != '"' && text[i] != '\''))
            break;
        const char quote = text[i++];
        const size_t valueStart = i;
        while (i < n && text[i] != quote)
            ++i;
        if (i >= n)
            break; // unterminated value: drop it rather than guess where it ends
        out.emplace_back(std::string(text.substr(nameStart, nameEnd - nameStart)),
                         std::string(text.substr(valueStart, i - valueStart)));
        ++i;
    }
    return out;
}

} // namespace skin
