// Where the user's files go: beside a writable install folder, else in the XDG folders.

#include "UserFolders.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace {

CUserFolders::Environment EnvOf(std::map<std::string, std::string> values)
{
    return [values = std::move(values)](const char* name) -> const char* {
        const auto it = values.find(name);
        return it == values.end() ? nullptr : it->second.c_str();
    };
}

} // namespace

TEST(UserFolders, WritableInstallFolderKeepsEverythingBesideTheProgram)
{
    const CUserFolders f = CUserFolders::Decide("/b", true, EnvOf({{"HOME", "/h"}, {"XDG_CONFIG_HOME", "/c"}}));
    EXPECT_TRUE(f.IsPortable());
    EXPECT_EQ(f.ConfigFolder(), "/b");
    EXPECT_EQ(f.LogFolder(), "/b/log");
    EXPECT_EQ(f.SkinFolder(), "/b");
    // Pictures made at run time still have a user's folder to go to when the skin is read-only.
    EXPECT_EQ(f.UserCacheFolder(), "/h/.cache/Orvelle");
}

TEST(UserFolders, SystemInstallUsesXdgVariablesThenHomeDefaults)
{
    const CUserFolders set = CUserFolders::Decide(
        "/opt/orvelle", false,
        EnvOf({{"HOME", "/h"}, {"XDG_CONFIG_HOME", "/c"}, {"XDG_STATE_HOME", "/s"}, {"XDG_CACHE_HOME", "/k"}}));
    EXPECT_FALSE(set.IsPortable());
    EXPECT_EQ(set.InstallFolder(), "/opt/orvelle");
    EXPECT_EQ(set.ConfigFolder(), "/c/Orvelle");
    EXPECT_EQ(set.LogFolder(), "/s/Orvelle/log");
    EXPECT_EQ(set.SkinFolder(), "/k/Orvelle");

    // Relative values are ignored, as XDG asks.
    const CUserFolders home = CUserFolders::Decide("/opt/orvelle", false, EnvOf({{"HOME", "/h"}, {"XDG_STATE_HOME", "s"}}));
    EXPECT_EQ(home.ConfigFolder(), "/h/.config/Orvelle");
    EXPECT_EQ(home.StateFolder(), "/h/.local/state/Orvelle");
    EXPECT_EQ(home.SkinFolder(), "/h/.cache/Orvelle");

    EXPECT_TRUE(CUserFolders::Decide("/opt/orvelle", false, EnvOf({})).IsPortable()) << "no home to go to";
}

TEST(UserFolders, CreatesPrivateFoldersAndFallsBackToTheInstalledSkin)
{
    TempDir dir;
    const std::string home = dir.path().string();
    CUserFolders f = CUserFolders::Decide(dir.file("install"), false, EnvOf({{"HOME", home}}));
    ASSERT_TRUE(f.Create());
    for (const std::string& folder : {f.ConfigFolder(), f.StateFolder(), f.SkinFolder()}) {
        EXPECT_TRUE(std::filesystem::is_directory(folder)) << folder;
        EXPECT_EQ(std::filesystem::status(folder).permissions() & std::filesystem::perms::all,
                  std::filesystem::perms::owner_all);
    }
    f.UseInstalledSkinIfMissing();
    EXPECT_EQ(f.SkinFolder(), dir.file("install"));
}
