// The rest of the install folder: factory defaults, version file and the skin archive.

#include "IniScan.h"
#include "RequiredNames.h"
#include "ResPaths.h"
#include "SkinScan.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

TEST(InstallFolder, FactoryDefaultsHoldEveryConfigurationKeyWithItsValue)
{
    const IniScan scan = ScanIniFile(BinPath("InitConfig.ini"));
    ASSERT_TRUE(scan.opened);
    EXPECT_TRUE(scan.problems.empty()) << scan.problems.front();
    for (const ConfigDefault& expected : ConfigDefaults()) {
        const IniEntry* entry = scan.Entry(expected.section, expected.key);
        if (!entry) {
            ADD_FAILURE() << "InitConfig.ini lacks [" << expected.section << "] " << expected.key;
            continue;
        }
        EXPECT_EQ(entry->value, expected.value) << "[" << expected.section << "] " << expected.key;
    }
}

TEST(InstallFolder, SetupVersionIsOneDottedNumber)
{
    std::ifstream in(BinPath("SetupVersion.txt"));
    std::string first;
    ASSERT_TRUE(std::getline(in, first));
    EXPECT_TRUE(std::regex_match(first, std::regex(R"([0-9]+(\.[0-9]+)+)"))) << first;
}

TEST(InstallFolder, ArchiveHoldsTheWholeSkinFolderUnderImgRes)
{
    const std::vector<std::string> entries = ZipEntryNames(BinPath("ImgRes.zip"));
    ASSERT_FALSE(entries.empty()) << "ImgRes.zip is missing or unreadable";
    std::set<std::string> names;
    for (const std::string& entry : entries) {
        // The program unpacks beside itself; nothing may point elsewhere.
        EXPECT_EQ(entry.rfind("ImgRes/", 0), 0u) << entry;
        EXPECT_EQ(entry.find(".."), std::string::npos) << entry;
        EXPECT_EQ(entry.find('\\'), std::string::npos) << entry;
        names.insert(entry);
    }
    const std::filesystem::path root = BinPath("ImgRes");
    for (const auto& file : std::filesystem::recursive_directory_iterator(root)) {
        if (file.is_regular_file()) {
            const std::string name = "ImgRes/" + std::filesystem::relative(file.path(), root).generic_string();
            if (name.rfind("ImgRes/SubZoomPng/", 0) != 0) { // written by the program at run time
                EXPECT_TRUE(names.count(name)) << name << " is not in ImgRes.zip";
            }
        }
    }
    EXPECT_TRUE(names.count("ImgRes/MainUI.xml"));
    EXPECT_TRUE(names.count("ImgRes/language/english.ini"));
    // Unpacking creates this folder from its empty entry; the magnifier page writes into it.
    EXPECT_TRUE(names.count("ImgRes/SubZoomPng/"));
}
