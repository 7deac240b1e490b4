#include "SkinValues.h"

#include <cctype>
#include <climits>

namespace skin {
namespace {

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Splits "a,b,c" into up to `count` integers; every present field must be a number.
bool ParseInts(std::string_view text, long* out, int count)
{
    int index = 0;
    text = Trim(text);
    if (text.empty())
        return false;
    while (index < count) {
        const size_t comma = text.find(',');
        const std::string_view field = Trim(text.substr(0, comma));
        int value = 0;
        if (!ParseInt(field, value))
            return false;
        out[index++] = value;
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
    }
    for (; index < count; ++index)
        out[index] = 0;
    return true;
}

} // namespace

bool ParseColor(std::string_view text, DWORD& argb)
{
    text = Trim(text);
    if (!text.empty() && text.front() == '#')
        text.remove_prefix(1);
    else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.remove_prefix(2);
    if (text.empty() || text.size() > 8)
        return false;
    DWORD value = 0;
    for (char c : text) {
        const int d = HexDigit(c);
        if (d < 0)
            return false;
        value = (value << 4) | static_cast<DWORD>(d);
    }
    // Six digits name an opaque colour.
    if (text.size() <= 6)
        value |= 0xFF000000u;
    argb = value;
    return true;
}

bool ParseRect(std::string_view text, RECT& rc)
{
    long v[4];
    if (!ParseInts(text, v, 4))
        return false;
    rc = RECT{v[0], v[1], v[2], v[3]};
    return true;
}

bool ParseSize(std::string_view text, SIZE& size)
{
    long v[2];
    if (!ParseInts(text, v, 2))
        return false;
    size = SIZE{v[0], v[1]};
    return true;
}

bool ParseInt(std::string_view text, int& value)
{
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return false;
    long long v = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        if (v < static_cast<long long>(INT_MAX) + 1)
            v = v * 10 + (c - '0');
    }
    if (negative)
        v = -v;
    if (v > INT_MAX)
        v = INT_MAX;
    if (v < INT_MIN)
        v = INT_MIN;
    value = static_cast<int>(v);
    return true;
}

bool ParseBool(std::string_view text, bool& value)
{
    text = Trim(text);
    auto equalsNoCase = [](std::string_view a, std::string_view b) {
        if (a.size() != b.size())
            return false;
        for (size_t i = 0; i < a.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(a[i])) != b[i])
                return false;
        return true;
    };
    if (equalsNoCase(text, "true") || text == "1") {
        value = true;
        return true;
    }
    if (equalsNoCase(text, "false") || text == "0") {
        value = false;
        return true;
    }
    return false;
}

} // namespace skin
