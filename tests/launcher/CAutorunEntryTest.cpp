// The launcher's log-on entry: where it lives, how the path is quoted, when it is rewritten.

#include "CAutorunEntry.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

TEST(AutorunEntry, FollowsXdgConfigHomeElseHome)
{
    const char* savedConfig = std::getenv("XDG_CONFIG_HOME");
    const std::string config = savedConfig ? savedConfig : "";
    setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(CAutorunEntry::EntryPath(), "/cfg/autostart/QuillonServer.desktop");
    setenv("XDG_CONFIG_HOME", "relative", 1);  // not absolute: ignored, as XDG says
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    EXPECT_EQ(CAutorunEntry::EntryPath(), home.empty() ? "" : home + "/.config/autostart/QuillonServer.desktop");
    if (savedConfig)
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

TEST(AutorunEntry, ExecQuotesAndEscapesThePath)
{
    EXPECT_EQ(CAutorunEntry::ExecValue("/opt/orvelle/OrvelleServer"), "\"/opt/orvelle/OrvelleServer\"");
    // Quoting escapes " ` $ \ with a backslash, and the string value doubles each backslash.
    EXPECT_EQ(CAutorunEntry::ExecValue("/a b/\"q\"/`c`/$d/e\\f/50%/S"),
              "\"/a b/\\\\\"q\\\\\"/\\\\`c\\\\`/\\\\$d/e\\\\\\\\f/50%%/S\"");
}

TEST(AutorunEntry, WrittenWhenMissingOrPointingElsewhereOnly)
{
    TempDir dir;
    const std::string entry = dir.file("deep/autostart/QuillonServer.desktop");
    EXPECT_TRUE(CAutorunEntry::Refresh("/x/OrvelleServer", entry));
    const std::string first = ReadWholeFile(entry);
    EXPECT_NE(first.find("\nExec=\"/x/OrvelleServer\"\n"), std::string::npos) << first;
    EXPECT_EQ(first.rfind("[Desktop Entry]\n", 0), 0u);

    EXPECT_FALSE(CAutorunEntry::Refresh("/x/OrvelleServer", entry));
    // An Exec of another group does not count; the main group's decides.
    WriteWholeFile(entry, "[Desktop Entry]\nExec=/old/OrvelleServer\n[Desktop Action x]\nExec=\"/y/OrvelleServer\"\n");
    EXPECT_TRUE(CAutorunEntry::Refresh("/y/OrvelleServer", entry));
    EXPECT_NE(ReadWholeFile(entry).find("\nExec=\"/y/OrvelleServer\"\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(entry + ".tmp"));
}

TEST(AutorunEntry, AnEntryTheUserSwitchedOffIsLeftAlone)
{
    TempDir dir;
    const std::string entry = dir.file("QuillonServer.desktop");
    // How desktops disable an entry: Hidden=true with no Exec (shadowing the packaged
    // system-wide entry), or GNOME's own switch beside an old Exec.
    for (const std::string& text : {std::string("[Desktop Entry]\nHidden=true\n"),
                                   std::string("[Desktop Entry]\nExec=/old/OrvelleServer\nX-GNOME-Autostart-enabled=false\n")}) {
        WriteWholeFile(entry, text);
        EXPECT_FALSE(CAutorunEntry::Refresh("/x/OrvelleServer", entry));
        EXPECT_EQ(ReadWholeFile(entry), text);
    }
    // Switched on again by the user: kept up to date as before.
    WriteWholeFile(entry, "[Desktop Entry]\nExec=/old/OrvelleServer\nHidden=false\nX-GNOME-Autostart-enabled=true\n");
    EXPECT_TRUE(CAutorunEntry::Refresh("/x/OrvelleServer", entry));
}
