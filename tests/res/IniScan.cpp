#include "IniScan.h"

#include <fstream>
#include <sstream>

namespace {

std::string KeyOf(std::string_view line)
{
    std::string key;
    for (char c : line.substr(0, line.find('='))) {
        if (c != ' ') {
            key += c;
        }
    }
    return key;
}

std::string ValueOf(std::string_view line)
{
    std::string_view value = line.substr(line.find('=') + 1);
    while (!value.empty() && value.front() == ' ') {
        value.remove_prefix(1);
    }
    return std::string(value);
}

std::string At(int line, const std::string& text)
{
    return "line " + std::to_string(line) + ": " + text;
}

} // namespace

const IniSection* IniScan::Section(std::string_view name) const
{
    for (const IniSection& section : sections) {
        if (section.name == name) {
            return &section;
        }
    }
    return nullptr;
}

const IniEntry* IniScan::Entry(std::string_view section, std::string_view key) const
{
    const IniSection* found = Section(section);
    if (!found) {
        return nullptr;
    }
    for (const IniEntry& entry : found->entries) {
        if (entry.key == key) {
            return &entry;
        }
    }
    return nullptr;
}

bool IsValidUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        int follow = 0;
        unsigned int point = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            follow = 1;
            point = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            follow = 2;
            point = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            follow = 3;
            point = c & 0x07;
        } else {
            return false;
        }
        if (i + static_cast<std::size_t>(follow) >= text.size()) {
            return false;
        }
        for (int k = 1; k <= follow; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            point = (point << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and points past U+10FFFF.
        if ((follow == 2 && point < 0x800) || (follow == 3 && (point < 0x10000 || point > 0x10FFFF)) ||
            (point >= 0xD800 && point <= 0xDFFF)) {
            return false;
        }
        i += static_cast<std::size_t>(follow) + 1;
    }
    return true;
}

IniScan ScanIniText(std::string_view text)
{
    IniScan scan;
    scan.opened = true;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        scan.problems.push_back(At(1, "byte order mark: the first section header would not be recognised"));
    }
    bool inSection = false;
    int number = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++number;

        if (line.size() > kIniMaxLine) {
            scan.problems.push_back(At(number, "longer than " + std::to_string(kIniMaxLine) + " characters"));
        }
        if (!line.empty() && line.back() == '\r') {
            scan.problems.push_back(At(number, "carriage return: it would become part of the value"));
        }
        if (!IsValidUtf8(line)) {
            scan.problems.push_back(At(number, "not valid UTF-8"));
        }
        if (line.substr(0, 2) == "//" || line.substr(0, 1) == "#") {
            if (inSection) {
                scan.problems.push_back(At(number, "comment inside section [" + scan.sections.back().name + "]"));
            }
            continue;
        }
        if (line.find('=') == std::string_view::npos) {
            const std::size_t close = line.find(']');
            if (!line.empty() && line.front() == '[' && close != std::string_view::npos) {
                const std::string name(line.substr(1, close - 1));
                if (scan.Section(name)) {
                    scan.problems.push_back(At(number, "section [" + name + "] appears twice; the second is never read"));
                }
                scan.sections.push_back({name, number, {}});
                inSection = true;
            } else {
                if (!line.empty()) {
                    scan.problems.push_back(At(number, "line is neither a section, a key nor a comment"));
                }
                inSection = false;
            }
            continue;
        }
        const std::string key = KeyOf(line);
        if (!inSection) {
            const std::string where = scan.sections.empty() ? std::string("before any section")
                                                            : "after the end of [" + scan.sections.back().name + "]";
            scan.problems.push_back(At(number, "key \"" + key + "\" is hidden " + where + " (empty line inside a section?)"));
            continue;
        }
        IniSection& section = scan.sections.back();
        for (const IniEntry& entry : section.entries) {
            if (entry.key == key) {
                scan.problems.push_back(At(number, "key \"" + key + "\" repeated in [" + section.name + "]"));
            }
        }
        IniEntry entry{key, ValueOf(line), number};
        if (entry.value.size() > kIniMaxValueBytes) {
            scan.problems.push_back(At(number, "value of \"" + key + "\" is over " + std::to_string(kIniMaxValueBytes) + " bytes"));
        }
        section.entries.push_back(std::move(entry));
    }
    return scan;
}

IniScan ScanIniFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {};
    }
    std::ostringstream content;
    content << in.rdbuf();
    return ScanIniText(content.str());
}
