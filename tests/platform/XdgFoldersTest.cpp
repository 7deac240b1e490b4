// The XDG base folders: an absolute variable wins, anything else falls back to the home folder,
// and without an absolute home folder there is no user folder at all.

#include "XdgFolders.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

using platform::XdgFolder;
using platform::XdgFolderPath;

platform::EnvironmentLookup EnvOf(std::map<std::string, std::string> values)
{
    return [values = std::move(values)](const char* name) -> const char* {
        const auto it = values.find(name);
        return it == values.end() ? nullptr : it->second.c_str();
    };
}

} // namespace

TEST(XdgFolders, AbsoluteVariableWinsElseEachFolderHasItsOwnHomeDefault)
{
    const auto set = EnvOf({{"HOME", "/h"}, {"XDG_CONFIG_HOME", "/c"}, {"XDG_DATA_HOME", "/d"},
                            {"XDG_STATE_HOME", "/s"}, {"XDG_CACHE_HOME", "/k"}, {"XDG_RUNTIME_DIR", "/r"}});
    EXPECT_EQ(XdgFolderPath(XdgFolder::ConfigHome, set), "/c");
    EXPECT_EQ(XdgFolderPath(XdgFolder::DataHome, set), "/d");
    EXPECT_EQ(XdgFolderPath(XdgFolder::StateHome, set), "/s");
    EXPECT_EQ(XdgFolderPath(XdgFolder::CacheHome, set), "/k");
    EXPECT_EQ(XdgFolderPath(XdgFolder::RuntimeDir, set), "/r");

    // Relative and empty values are invalid by the XDG rules: as if unset.
    const auto invalid = EnvOf({{"HOME", "/h"}, {"XDG_CONFIG_HOME", "c"}, {"XDG_DATA_HOME", ""},
                                {"XDG_STATE_HOME", "./s"}, {"XDG_RUNTIME_DIR", "r"}});
    EXPECT_EQ(XdgFolderPath(XdgFolder::ConfigHome, invalid), "/h/.config");
    EXPECT_EQ(XdgFolderPath(XdgFolder::DataHome, invalid), "/h/.local/share");
    EXPECT_EQ(XdgFolderPath(XdgFolder::StateHome, invalid), "/h/.local/state");
    EXPECT_EQ(XdgFolderPath(XdgFolder::CacheHome, invalid), "/h/.cache");
    EXPECT_EQ(XdgFolderPath(XdgFolder::RuntimeDir, invalid), "") << "the runtime folder has no home default";
}

TEST(XdgFolders, WithoutAnAbsoluteHomeOnlyAbsoluteVariablesGiveAFolder)
{
    for (const char* home : {"", "relative/home"}) {
        SCOPED_TRACE(home);
        const auto env = EnvOf({{"HOME", home}, {"XDG_CONFIG_HOME", "/c"}});
        EXPECT_EQ(XdgFolderPath(XdgFolder::ConfigHome, env), "/c");
        EXPECT_EQ(XdgFolderPath(XdgFolder::DataHome, env), "");
    }
    EXPECT_EQ(XdgFolderPath(XdgFolder::CacheHome, EnvOf({})), "") << "HOME unset";
}
