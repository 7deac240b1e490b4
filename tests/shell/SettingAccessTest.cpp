#include "CSettingAccess.h"
#include "ConfigManager.h"

#include "FakeScreens.h"
#include "TempDir.h"

#include <gtest/gtest.h>

namespace {

class SettingAccess : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings.SetInstallFolder(dir.path().string());
        settings.SetScreens(&screens);
        settings.FirstRunDefaults();
        settings.LoadAll();
    }
    std::string File() const { return ReadWholeFile(dir.file("config.ini")); }
    CSettingAccess::Result Set(const std::string& section, const std::string& key, const std::string& value)
    {
        std::string why;
        return access.Set(section, key, value, why);
    }
    std::string Get(const std::string& section, const std::string& key) const
    {
        std::string value = "<none>";
        access.Get(section, key, value);
        return value;
    }

    TempDir dir;
    FakeScreens screens{{0, 0, 1920, 1080}};
    CConfigManager settings;
    CSettingAccess access{settings};
};

} // namespace

TEST_F(SettingAccess, ValuesWithinThePagesLimitsAreStoredAndWritten)
{
    EXPECT_EQ(Set("FunSet_Postil", "LineSize", "8"), CSettingAccess::Result::Stored);
    EXPECT_EQ(settings.GetInt(ConfigInt::LineSize), 8);
    EXPECT_NE(File().find("LineSize = 8"), std::string::npos);
    EXPECT_EQ(Get("FunSet_Postil", "LineSize"), "8");

    // Reals go to the slider's nearest step, as the page would store them.
    EXPECT_EQ(Set("FunSet_Zoom", "ZoomMom", "2.5"), CSettingAccess::Result::Stored);
    EXPECT_FLOAT_EQ(settings.GetReal(ConfigReal::ZoomMom), 2.5f);
    EXPECT_EQ(Set("FunSet_Searchlight", "BorderRound", "0.251"), CSettingAccess::Result::Stored);
    EXPECT_FLOAT_EQ(settings.GetReal(ConfigReal::SearchlightBorderRound), 0.25f);

    EXPECT_EQ(Set("CustomKey", "keyForMouse", "12"), CSettingAccess::Result::Stored);
    EXPECT_EQ(Set("CustomKey", "weburl", "https://example.org/a?b=c"), CSettingAccess::Result::Stored);
    EXPECT_EQ(Get("CustomKey", "weburl"), "https://example.org/a?b=c");
    EXPECT_EQ(Set("FunSelect", "SelValue", "132456"), CSettingAccess::Result::Stored);
}

TEST_F(SettingAccess, RefusedValuesLeaveTheSettingAndTheFileAsTheyWere)
{
    const std::string before = File();
    const std::vector<std::array<const char*, 3>> refused = {
        {"FunSet_Postil", "LineSize", "11"},        // past the slider
        {"FunSet_Postil", "LineSize", "3"},
        {"FunSet_Postil", "LineSize", "8x"},        // not a whole number
        {"FunSet_Postil", "LineSize", ""},
        {"FunSet_Set", "MouseDPI", "99999999999"},  // does not fit
        {"FunSet_Zoom", "ZoomMom", "3"},            // no such button
        {"FunSet_Zoom", "AspectRatio", "0.2"},      // under the least ratio
        {"FunSet_Zoom", "AspectRatio", "nan"},
        {"FunSet_Searchlight", "AlphaVal", "50"},   // the spotlight's least is 20 %
        {"CustomKey", "key", "11"},                 // slide show is the mouse's, not the presenter's
        {"CustomKey", "keyForMouse", "3"},          // audio is the presenter's
        {"CustomKey", "weburl", "http://a b"},      // a space
        {"CustomKey", "weburl", "x\nLineSize = 99"},
        {"FunSelect", "SelValue", "213456"},        // the mouse moved from the top
        {"FunSelect", "SelValue", "123455"},
        {"FunSelect", "IsUsed", "11111"},
    };
    for (const auto& [section, key, value] : refused)
        EXPECT_EQ(Set(section, key, value), CSettingAccess::Result::Refused) << section << "." << key << "=" << value;
    EXPECT_EQ(settings.GetInt(ConfigInt::LineSize), 6);
    EXPECT_EQ(settings.GetText(ConfigText::SelValue), "123456");
    EXPECT_EQ(File(), before);
}

TEST_F(SettingAccess, KeysNoPageSetsAreUnknown)
{
    std::string why;
    EXPECT_EQ(access.Set("UpdateVersion", "IsFirstRun", "1", why), CSettingAccess::Result::UnknownKey);
    EXPECT_EQ(why, "no setting UpdateVersion.IsFirstRun");
    EXPECT_EQ(Set("funset_postil", "LineSize", "8"), CSettingAccess::Result::UnknownKey);  // names are exact
    EXPECT_EQ(Get("Log", "Log_Level"), "<none>");
}
