#include "IniText.h"

#include <charconv>
#include <climits>
#include <cmath>

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

struct Line {
    std::string_view content; // without its line end
    std::string_view ending;  // "\n", "\r\n" or empty at the end of the text
    size_t begin = 0;
    size_t end = 0; // one past the line end
};

class LineReader {
public:
    explicit LineReader(std::string_view text) : m_text(text) {}

    bool Next(Line& line)
    {
        if (m_pos >= m_text.size())
            return false;
        const size_t nl = m_text.find('\n', m_pos);
        const size_t end = nl == std::string_view::npos ? m_text.size() : nl + 1;
        const std::string_view full = m_text.substr(m_pos, end - m_pos);
        size_t length = full.size();
        if (length > 0 && full[length - 1] == '\n')
            --length;
        if (length > 0 && full[length - 1] == '\r')
            --length;
        line.content = full.substr(0, length);
        // A byte-order mark written by a Windows editor is not part of the first line.
        if (m_pos == 0 && line.content.substr(0, kUtf8Bom.size()) == kUtf8Bom)
            line.content.remove_prefix(kUtf8Bom.size());
        line.ending = full.substr(length);
        line.begin = m_pos;
        line.end = end;
        m_pos = end;
        ++m_number;
        return true;
    }
    size_t Number() const { return m_number; }

private:
    std::string_view m_text;
    size_t m_pos = 0;
    size_t m_number = 0;
};

bool IsComment(std::string_view content) { return content.starts_with("//") || content.starts_with("#"); }

bool IsUnreadable(std::string_view content)
{
    return content.size() > kMaxIniLine || content.find('\0') != std::string_view::npos;
}

// Walks the lines of one section the way both the reader and the writer see them, so that the
// writer changes exactly the key that the reader would find.
class SectionScanner {
public:
    enum class Step { Skip, Enter, Key, End, Unreadable };

    explicit SectionScanner(std::string_view section) : m_header("[" + std::string(section) + "]") {}

    Step Next(std::string_view content)
    {
        if (IsUnreadable(content))
            return Step::Unreadable;
        if (IsComment(content))
            return Step::Skip;
        const bool header = content.starts_with(m_header);
        if (!m_inside) {
            if (!header)
                return Step::Skip;
            m_inside = true;
            return Step::Enter;
        }
        if (content.find('=') != std::string_view::npos)
            return Step::Key;
        return header ? Step::Skip : Step::End;
    }

private:
    std::string m_header;
    bool m_inside = false;
};

std::string KeyOf(std::string_view content)
{
    std::string key;
    for (char c : content.substr(0, content.find('='))) {
        if (c != ' ')
            key.push_back(c);
    }
    return key;
}

std::string_view ValueOf(std::string_view content)
{
    return CIniText::SkipLeadingSpaces(content.substr(content.find('=') + 1));
}

bool HasLineBreakOrNul(std::string_view text) { return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos; }

bool IsWritableKey(std::string_view key)
{
    // A key line must not read as a comment, nor start like a section header.
    return !key.empty() && key.find_first_of(" =") == std::string_view::npos && !HasLineBreakOrNul(key) &&
           !IsComment(key) && !key.starts_with('[');
}

} // namespace

std::string_view CIniText::SkipLeadingSpaces(std::string_view value)
{
    const size_t first = value.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view() : value.substr(first);
}

bool CIniText::Find(std::string_view text, std::string_view section, std::string_view key, std::string& value,
                    size_t* badLine)
{
    if (badLine != nullptr)
        *badLine = 0;
    SectionScanner scanner(section);
    LineReader reader(text);
    Line line;
    while (reader.Next(line)) {
        switch (scanner.Next(line.content)) {
        case SectionScanner::Step::Key:
            if (KeyOf(line.content) == key) {
                value.assign(ValueOf(line.content));
                return true;
            }
            break;
        case SectionScanner::Step::End:
            return false;
        case SectionScanner::Step::Unreadable:
            if (badLine != nullptr && *badLine == 0)
                *badLine = reader.Number();
            break;
        default:
            break;
        }
    }
    return false;
}

bool CIniText::Set(std::string& text, std::string_view section, std::string_view key, std::string_view value)
{
    if (section.empty() || HasLineBreakOrNul(section) || section.size() + 2 > kMaxIniLine || !IsWritableKey(key) ||
        HasLineBreakOrNul(value))
        return false;

    SectionScanner scanner(section);
    LineReader reader(text);
    Line line;
    bool entered = false;
    Line header;
    while (reader.Next(line)) {
        const auto step = scanner.Next(line.content);
        if (step == SectionScanner::Step::Enter) {
            entered = true;
            header = line;
        } else if (step == SectionScanner::Step::Key && KeyOf(line.content) == key) {
            std::string rewritten(line.content.substr(0, line.content.find('=') + 1));
            rewritten.append(" ").append(value);
            if (rewritten.size() > kMaxIniLine)
                return false;
            rewritten.append(line.ending == "\r\n" ? "\r\n" : "\n");
            text.replace(line.begin, line.end - line.begin, rewritten);
            return true;
        } else if (step == SectionScanner::Step::End) {
            break;
        }
    }

    std::string keyLine = std::string(key) + " = " + std::string(value);
    if (keyLine.size() > kMaxIniLine)
        return false;
    keyLine.push_back('\n');
    if (entered) {
        // A header on the last line without a line end needs one before the key goes under it.
        if (header.ending.empty())
            keyLine.insert(0, "\n");
        text.insert(header.end, keyLine);
    } else {
        text.append("\n[").append(section).append("]\n").append(keyLine);
    }
    return true;
}

std::string CIniText::FormatInt(int value) { return std::to_string(value); }

std::string CIniText::FormatReal(double value)
{
    // "%f", but independent of the locale's decimal point (Qt sets the user's locale at start).
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::fixed, 6);
    return std::string(buffer, result.ptr);
}

double CIniText::ParseReal(std::string_view text)
{
    const size_t first = text.find_first_not_of(" \t\n\v\f\r");
    if (first == std::string_view::npos)
        return 0.0;
    text.remove_prefix(first);
    if (text.starts_with('+') && !text.substr(1).starts_with('-'))
        text.remove_prefix(1);
    double value = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // Too small reads as zero, too large as infinity, as strtod has it.
        const std::string_view number(text.data(), static_cast<size_t>(result.ptr - text.data()));
        const size_t exponent = number.find_first_of("eE");
        const std::string_view whole = number.substr(0, number.find_first_of(".eE"));
        const bool tiny = exponent != std::string_view::npos ? number.substr(exponent + 1).starts_with('-')
                                                             : whole.find_first_of("123456789") == std::string_view::npos;
        const double magnitude = tiny ? 0.0 : HUGE_VAL;
        return number.starts_with('-') ? -magnitude : magnitude;
    }
    return result.ec == std::errc() ? value : 0.0;
}

int CIniText::RealToInt(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (value <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(value);
}
