#include "CDuiString.h"

#include <QString>
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string FormatV(const char* format, va_list args)
{
    if (format == nullptr)
        return {};
    va_list copy;
    va_copy(copy, args);
    char small[256];
    const int needed = std::vsnprintf(small, sizeof(small), format, copy);
    va_end(copy);
    if (needed < 0)
        return {};
    if (static_cast<size_t>(needed) < sizeof(small))
        return std::string(small, static_cast<size_t>(needed));
    std::vector<char> big(static_cast<size_t>(needed) + 1);
    std::vsnprintf(big.data(), big.size(), format, args);
    return std::string(big.data(), static_cast<size_t>(needed));
}

} // namespace

CDuiString::CDuiString(const char* text) : m_str(text ? text : "") {}
CDuiString::CDuiString(const char* text, int length) { Assign(text, length); }
CDuiString::CDuiString(std::string text) : m_str(std::move(text)) {}
CDuiString::CDuiString(std::string_view text) : m_str(text) {}
CDuiString::CDuiString(char ch) : m_str(1, ch) {}

char CDuiString::GetAt(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_str.size())
        return 0;
    return m_str[static_cast<size_t>(index)];
}

void CDuiString::Assign(const char* text, int length)
{
    if (text == nullptr) {
        m_str.clear();
        return;
    }
    if (length < 0) {
        m_str.assign(text);
        return;
    }
    // Never read past a terminating zero even when the length claims more.
    const void* end = std::memchr(text, 0, static_cast<size_t>(length));
    m_str.assign(text, end ? static_cast<size_t>(static_cast<const char*>(end) - text) : static_cast<size_t>(length));
}

void CDuiString::Append(const char* text)
{
    if (text)
        m_str.append(text);
}

int CDuiString::Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    m_str = FormatV(format, args);
    va_end(args);
    return GetLength();
}

CDuiString CDuiString::Formatted(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    CDuiString out(FormatV(format, args));
    va_end(args);
    return out;
}

int CDuiString::Compare(const char* text) const { return m_str.compare(text ? text : ""); }

int CDuiString::CompareNoCase(const char* text) const
{
    const std::string_view other(text ? text : "");
    const size_t n = std::min(m_str.size(), other.size());
    for (size_t i = 0; i < n; ++i) {
        const char a = LowerAscii(m_str[i]);
        const char b = LowerAscii(other[i]);
        if (a != b)
            return static_cast<unsigned char>(a) < static_cast<unsigned char>(b) ? -1 : 1;
    }
    if (m_str.size() == other.size())
        return 0;
    return m_str.size() < other.size() ? -1 : 1;
}

int CDuiString::Find(char ch, int start) const
{
    if (start < 0 || static_cast<size_t>(start) > m_str.size())
        return -1;
    const size_t pos = m_str.find(ch, static_cast<size_t>(start));
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CDuiString::Find(const char* text, int start) const
{
    if (text == nullptr || start < 0 || static_cast<size_t>(start) > m_str.size())
        return -1;
    const size_t pos = m_str.find(text, static_cast<size_t>(start));
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CDuiString::ReverseFind(char ch) const
{
    const size_t pos = m_str.rfind(ch);
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CDuiString::Replace(const char* from, const char* to)
{
    if (from == nullptr || *from == 0)
        return 0;
    const std::string_view f(from);
    const std::string_view t(to ? to : "");
    int count = 0;
    size_t pos = 0;
    while ((pos = m_str.find(f, pos)) != std::string::npos) {
        m_str.replace(pos, f.size(), t);
        pos += t.size();
        ++count;
    }
    return count;
}

CDuiString CDuiString::Left(int length) const
{
    if (length <= 0)
        return {};
    return CDuiString(m_str.substr(0, static_cast<size_t>(length)));
}

CDuiString CDuiString::Mid(int pos, int length) const
{
    if (pos < 0 || static_cast<size_t>(pos) >= m_str.size())
        return {};
    if (length < 0)
        return CDuiString(m_str.substr(static_cast<size_t>(pos)));
    return CDuiString(m_str.substr(static_cast<size_t>(pos), static_cast<size_t>(length)));
}

CDuiString CDuiString::Right(int length) const
{
    if (length <= 0)
        return {};
    const size_t n = std::min(m_str.size(), static_cast<size_t>(length));
    return CDuiString(m_str.substr(m_str.size() - n));
}

void CDuiString::MakeUpper() { std::transform(m_str.begin(), m_str.end(), m_str.begin(), UpperAscii); }
void CDuiString::MakeLower() { std::transform(m_str.begin(), m_str.end(), m_str.begin(), LowerAscii); }

CDuiString& CDuiString::operator=(const char* text)
{
    Assign(text);
    return *this;
}

CDuiString& CDuiString::operator+=(const CDuiString& other)
{
    m_str += other.m_str;
    return *this;
}

CDuiString& CDuiString::operator+=(const char* text)
{
    Append(text);
    return *this;
}

CDuiString& CDuiString::operator+=(char ch)
{
    m_str += ch;
    return *this;
}

bool CDuiString::operator==(const char* text) const { return m_str == (text ? text : ""); }

QString CDuiString::ToQString() const { return QString::fromUtf8(m_str.data(), static_cast<qsizetype>(m_str.size())); }

CDuiString CDuiString::FromQString(const QString& text) { return CDuiString(text.toStdString()); }

CDuiString operator+(const CDuiString& a, const CDuiString& b)
{
    CDuiString out(a);
    out += b;
    return out;
}

CDuiString operator+(const CDuiString& a, const char* b)
{
    CDuiString out(a);
    out += b;
    return out;
}

CDuiString operator+(const char* a, const CDuiString& b)
{
    CDuiString out(a);
    out += b;
    return out;
}

QString ToQString(const CDuiString& text) { return text.ToQString(); }
CDuiString FromQString(const QString& text) { return CDuiString::FromQString(text); }
