#pragma once
// The text format shared by config.ini, InitConfig.ini and the language files, worked on in memory.
//
// A line that begins with "//" or "#" is a comment. A section starts at a line beginning with
// "[name]" (a prefix match) and ends at the first later line that has no "=" and is not that
// header again, so an empty line ends it. A key line holds "="; its key is the text before the
// first "=" with every space removed, its value the text after it with leading spaces skipped.
// Lines longer than kMaxIniLine characters or holding NUL bytes cannot be read: they are passed
// over as if absent (they do not end a section) and a rewrite copies them unchanged.

#include <cstddef>
#include <string>
#include <string_view>

constexpr size_t kMaxIniLine = 1023;

class CIniText {
public:
    // True with `value` set when the section holds the key. `badLine`, when given, receives the
    // 1-based number of the first unreadable line that the search passed over (0 when none).
    static bool Find(std::string_view text, std::string_view section, std::string_view key, std::string& value,
                     size_t* badLine = nullptr);

    // Sets the key: an existing key line keeps its key part and "=" and gets " value"; a missing key
    // goes right under the section header as "key = value"; a missing section is appended as
    // "\n[section]\nkey = value\n". Every other byte stays as it was. False, with `text` unchanged,
    // when the result could not be read back: empty or spaced keys, keys with "=" or that would read
    // as a comment or a header, line breaks or NUL in any part, or a line over the limit.
    static bool Set(std::string& text, std::string_view section, std::string_view key, std::string_view value);

    // Numbers as the file holds them: integers "%d", reals "%f"; both read back by a decimal
    // conversion that ignores the locale, with text that is no number reading as 0.
    static std::string FormatInt(int value);
    static std::string FormatReal(double value);
    static double ParseReal(std::string_view text);
    // The integer part, held to the int range (NaN reads as 0).
    static int RealToInt(double value);

    // Spaces skipped as the reader does; what a written value reads back as.
    static std::string_view SkipLeadingSpaces(std::string_view value);
};
