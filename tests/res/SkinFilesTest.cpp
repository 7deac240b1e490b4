// Every skin file the program opens: well-formed, a Window root with a size and a default font,
// the controls the program finds by name (of the right kind, each name once), positions inside
// the window, and every picture it names present in the built ImgRes folder.

#include "RequiredNames.h"
#include "ResPaths.h"
#include "SkinScan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <ostream>

// Names the file in test output.
void PrintTo(const RequiredSkin& skin, std::ostream* out)
{
    *out << skin.file;
}

namespace {

class EachSkin : public ::testing::TestWithParam<RequiredSkin> {};

bool ParseFour(const std::string& text, int (&v)[4])
{
    return std::sscanf(text.c_str(), "%d,%d,%d,%d", &v[0], &v[1], &v[2], &v[3]) == 4;
}

} // namespace

TEST_P(EachSkin, IsAWellFormedWindowWithADefaultFont)
{
    const SkinScan scan = ScanSkinFile(ImgResPath(GetParam().file));
    ASSERT_TRUE(scan.opened) << GetParam().file << " is missing";
    ASSERT_TRUE(scan.wellFormed) << GetParam().file << ": " << scan.error;
    ASSERT_FALSE(scan.elements.empty());
    EXPECT_EQ(scan.elements.front().tag, "Window");
    int width = 0, height = 0;
    EXPECT_EQ(std::sscanf(scan.elements.front().Attribute("size").c_str(), "%d,%d", &width, &height), 2);
    EXPECT_GT(width, 0);
    EXPECT_GT(height, 0);
    const bool hasDefaultFont = std::any_of(scan.elements.begin(), scan.elements.end(), [](const SkinElement& e) {
        return e.tag == "Font" && e.Attribute("default") == "true";
    });
    EXPECT_TRUE(hasDefaultFont) << GetParam().file;
}

TEST_P(EachSkin, HoldsEveryControlTheProgramLooksUpOnce)
{
    const SkinScan scan = ScanSkinFile(ImgResPath(GetParam().file));
    std::map<std::string, std::vector<const SkinElement*>> byName;
    for (const SkinElement& element : scan.elements) {
        if (element.tag != "Font" && !element.Attribute("name").empty()) {
            byName[element.Attribute("name")].push_back(&element);
        }
    }
    for (const auto& [name, elements] : byName) {
        EXPECT_EQ(elements.size(), 1u) << GetParam().file << ": \"" << name << "\" is used " << elements.size()
                                       << " times; a lookup finds only the first";
    }
    for (const std::string& required : GetParam().controls) {
        const auto colon = required.find(':');
        const std::string name = colon == std::string::npos ? required : required.substr(colon + 1);
        const auto found = byName.find(name);
        if (found == byName.end()) {
            ADD_FAILURE() << GetParam().file << " lacks control \"" << name << "\"";
            continue;
        }
        if (colon != std::string::npos) {
            EXPECT_EQ(found->second.front()->tag, required.substr(0, colon)) << GetParam().file << ": " << name;
        }
    }
}

TEST_P(EachSkin, PlacesControlsInsideTheWindow)
{
    const SkinScan scan = ScanSkinFile(ImgResPath(GetParam().file));
    ASSERT_FALSE(scan.elements.empty());
    int width = 0, height = 0;
    std::sscanf(scan.elements.front().Attribute("size").c_str(), "%d,%d", &width, &height);
    for (const SkinElement& element : scan.elements) {
        const std::string pos = element.Attribute("pos");
        if (pos.empty()) {
            continue;
        }
        int v[4] = {};
        ASSERT_TRUE(ParseFour(pos, v)) << GetParam().file << " line " << element.line << ": pos=\"" << pos << "\"";
        EXPECT_TRUE(v[0] >= 0 && v[1] >= 0 && v[0] <= v[2] && v[1] <= v[3] && v[2] <= width && v[3] <= height)
            << GetParam().file << " line " << element.line << ": " << element.Attribute("name") << " at " << pos
            << " is outside the " << width << "x" << height << " window";
    }
}

TEST_P(EachSkin, NamesOnlyPicturesThatExist)
{
    const SkinScan scan = ScanSkinFile(ImgResPath(GetParam().file));
    for (const SkinElement& element : scan.elements) {
        for (const auto& [attribute, value] : element.attributes) {
            for (const std::string& picture : PicturesNamedBy(attribute, value)) {
                EXPECT_TRUE(std::filesystem::is_regular_file(ImgResPath(picture)))
                    << GetParam().file << " line " << element.line << ": " << attribute << " names missing " << picture;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(SkinFiles, EachSkin, ::testing::ValuesIn(RequiredSkins()),
                         [](const ::testing::TestParamInfo<RequiredSkin>& info) {
                             return info.param.file.substr(0, info.param.file.find('.'));
                         });

TEST(SkinFiles, SpotlightHolesAreTheOnlyPureRed)
{
    // Pure red is the colour key that turns the hole transparent; anything else in that colour
    // would become a hole as well.
    for (const char* file : {"SearchlightUI.xml", "FunctionSet_Searchlight.xml"}) {
        const SkinScan scan = ScanSkinFile(ImgResPath(file));
        for (const SkinElement& element : scan.elements) {
            for (const auto& [attribute, value] : element.attributes) {
                if (attribute.find("color") == std::string::npos) {
                    continue;
                }
                const bool pureRed = value.size() == 9 && value.substr(3) == "FF0000" && value.substr(0, 3) == "#FF";
                EXPECT_EQ(pureRed, element.Attribute("name") == "tanzhaodeng" && attribute == "bkcolor")
                    << file << " line " << element.line << ": " << attribute << "=" << value;
            }
        }
    }
}

TEST(SkinFiles, PicturesTheProgramNamesInCodeExist)
{
    for (const std::string& picture : PicturesNamedInCode()) {
        EXPECT_TRUE(std::filesystem::is_regular_file(ImgResPath(picture))) << picture;
    }
    // The magnifier page writes its previews into this folder at run time.
    EXPECT_TRUE(std::filesystem::is_directory(ImgResPath("SubZoomPng")));
}
