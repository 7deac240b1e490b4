// The seventeen language files: the same sections and keys everywhere, clean for the line
// reader, real translations, the same printf conversions as English, and style lists that parse
// and name pictures that exist.

#include "IniScan.h"
#include "RequiredNames.h"
#include "ResPaths.h"
#include "SkinScan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <regex>
#include <set>

namespace {

const IniScan& Language(const std::string& file)
{
    static std::map<std::string, IniScan> cache;
    auto found = cache.find(file);
    if (found == cache.end()) {
        found = cache.emplace(file, ScanIniFile(ImgResPath("language/" + file))).first;
    }
    return found->second;
}

std::set<std::string> KeysOf(const IniScan& scan)
{
    std::set<std::string> keys;
    for (const IniSection& section : scan.sections) {
        keys.insert("[" + section.name + "]");
        for (const IniEntry& entry : section.entries) {
            keys.insert("[" + section.name + "] " + entry.key);
        }
    }
    return keys;
}

bool IsStyleSection(const std::string& name)
{
    const auto& styles = StyleSections();
    return std::find(styles.begin(), styles.end(), name) != styles.end();
}

// Attribute lists also stand in text sections (the sub-page buttons of "funset").
bool IsAttributeList(const std::string& section, const std::string& value)
{
    return IsStyleSection(section) || std::regex_search(value, std::regex(R"(^[a-z]+=")"));
}

std::vector<std::string> Conversions(const std::string& text)
{
    static const std::regex conversion(R"(%[-+ #0]*[0-9]*(\.[0-9]+)?[a-zA-Z%])");
    std::vector<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), conversion); it != std::sregex_iterator(); ++it) {
        found.push_back(it->str());
    }
    return found;
}

std::string Join(const std::vector<std::string>& items)
{
    std::string joined;
    for (const std::string& item : items) {
        joined += (joined.empty() ? "" : ", ") + item;
    }
    return joined;
}

class EachLanguage : public ::testing::TestWithParam<std::string> {};

} // namespace

TEST(LanguageFiles, AllSeventeenExistUnderTheirExactNames)
{
    std::set<std::string> present;
    for (const auto& entry : std::filesystem::directory_iterator(ImgResPath("language"))) {
        present.insert(entry.path().filename().string());
    }
    for (const std::string& name : LanguageFileNames()) {
        EXPECT_TRUE(present.count(name)) << name << " is missing (names are case-sensitive)";
        present.erase(name);
    }
    EXPECT_TRUE(present.empty()) << "unexpected files: " << Join({present.begin(), present.end()});
}

TEST(LanguageFiles, EnglishHoldsEverySectionAndKeyTheProgramLooksUp)
{
    const IniScan& english = Language("english.ini");
    ASSERT_TRUE(english.opened);
    std::vector<std::string> missing;
    for (const std::string& section : TextSections()) {
        if (!english.Section(section)) {
            missing.push_back("[" + section + "]");
        }
    }
    for (const std::string& section : StyleSections()) {
        if (!english.Section(section)) {
            missing.push_back("[" + section + "]");
        }
    }
    for (const LanguageKey& key : RequiredLanguageKeys()) {
        if (!english.Entry(key.section, key.key)) {
            missing.push_back("[" + key.section + "] " + key.key);
        }
    }
    EXPECT_TRUE(missing.empty()) << "english.ini lacks: " << Join(missing);
}

TEST_P(EachLanguage, ReadsCleanlyWithTheLineReader)
{
    const IniScan& scan = Language(GetParam());
    ASSERT_TRUE(scan.opened) << GetParam();
    EXPECT_TRUE(scan.problems.empty()) << GetParam() << ":\n  " << Join(scan.problems);
}

TEST_P(EachLanguage, HasExactlyTheSectionsAndKeysOfEnglish)
{
    const std::set<std::string> english = KeysOf(Language("english.ini"));
    const std::set<std::string> mine = KeysOf(Language(GetParam()));
    std::vector<std::string> missing, extra;
    std::set_difference(english.begin(), english.end(), mine.begin(), mine.end(), std::back_inserter(missing));
    std::set_difference(mine.begin(), mine.end(), english.begin(), english.end(), std::back_inserter(extra));
    EXPECT_TRUE(missing.empty()) << GetParam() << " lacks: " << Join(missing);
    EXPECT_TRUE(extra.empty()) << GetParam() << " has keys English does not: " << Join(extra);
}

TEST_P(EachLanguage, TextsKeepTheConversionsOfEnglish)
{
    // A text formatted with a number or string must carry the same conversions, or the
    // formatting call reads the wrong argument.
    const IniScan& english = Language("english.ini");
    for (const IniSection& section : Language(GetParam()).sections) {
        for (const IniEntry& entry : section.entries) {
            const IniEntry* original = english.Entry(section.name, entry.key);
            if (!original || IsAttributeList(section.name, original->value)) {
                continue;
            }
            EXPECT_EQ(Conversions(entry.value), Conversions(original->value))
                << GetParam() << " [" << section.name << "] " << entry.key << " = " << entry.value;
        }
    }
}

TEST_P(EachLanguage, TextsAreTranslatedAndStylesMatchEnglish)
{
    const IniScan& english = Language("english.ini");
    int texts = 0;
    int same = 0;
    for (const IniSection& section : Language(GetParam()).sections) {
        for (const IniEntry& entry : section.entries) {
            const IniEntry* original = english.Entry(section.name, entry.key);
            if (!original) {
                continue;
            }
            if (!IsAttributeList(section.name, original->value)) {
                ++texts;
                same += entry.value == original->value ? 1 : 0;
                EXPECT_FALSE(entry.value.empty()) << GetParam() << " [" << section.name << "] " << entry.key << " is empty";
                continue;
            }
            // Only a position may differ, where a longer text needs more room.
            auto withoutPos = [](const std::string& list) {
                auto attributes = ScanAttributeList(list).attributes;
                attributes.erase(std::remove_if(attributes.begin(), attributes.end(),
                                                [](const auto& a) { return a.first == "pos"; }),
                                 attributes.end());
                return attributes;
            };
            EXPECT_EQ(withoutPos(entry.value), withoutPos(original->value))
                << GetParam() << " [" << section.name << "] " << entry.key;
        }
    }
    ASSERT_GT(texts, 0);
    if (GetParam() != "english.ini") {
        // Names such as "OK" may stay; a file that is mostly English was never translated.
        EXPECT_LT(same * 100 / texts, 15) << GetParam() << ": " << same << " of " << texts << " texts are English";
    }
}

TEST_P(EachLanguage, StyleListsParseAndNamePicturesThatExist)
{
    for (const IniSection& section : Language(GetParam()).sections) {
        for (const IniEntry& entry : section.entries) {
            if (!IsAttributeList(section.name, entry.value)) {
                continue;
            }
            const AttributeListScan list = ScanAttributeList(entry.value);
            EXPECT_TRUE(list.complete) << GetParam() << " [" << section.name << "] " << entry.key
                                       << " is not a clean attribute list: " << entry.value;
            for (const auto& [name, value] : list.attributes) {
                for (const std::string& picture : PicturesNamedBy(name, value)) {
                    EXPECT_TRUE(std::filesystem::is_regular_file(ImgResPath(picture)))
                        << GetParam() << " [" << section.name << "] " << entry.key << " names missing " << picture;
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(LanguageFiles, EachLanguage, ::testing::ValuesIn(LanguageFileNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             return info.param.substr(0, info.param.find('.'));
                         });
