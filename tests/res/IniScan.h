#pragma once
// Reads an INI file the way the program's line reader does and reports every place where the
// file would not read as its author meant: keys hidden behind an empty line, over-long lines,
// bad UTF-8, duplicate keys, values too long for the reader's buffer.

#include <string>
#include <string_view>
#include <vector>

struct IniEntry {
    std::string key;
    std::string value;
    int line = 0;
};

struct IniSection {
    std::string name;
    int line = 0;
    std::vector<IniEntry> entries;
};

struct IniScan {
    bool opened = false;
    std::vector<IniSection> sections;
    std::vector<std::string> problems; // "line N: ..." texts

    const IniSection* Section(std::string_view name) const;
    const IniEntry* Entry(std::string_view section, std::string_view key) const;
};

inline constexpr std::size_t kIniMaxLine = 1023;
inline constexpr std::size_t kIniMaxValueBytes = 511;

IniScan ScanIniText(std::string_view text);
IniScan ScanIniFile(const std::string& path);

bool IsValidUtf8(std::string_view text);
