// The desktop's default handlers through a stand-in xdg-open that records its arguments: the
// address arrives as one argument, exactly as given, and nothing in it is run by a shell.

#include "ChildProcess.h"
#include "TempDir.h"
#include "XdgDesktopLauncher.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>

using namespace std::chrono_literals;

namespace {

class DesktopLauncherTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string opener = dir.file("xdg-open");
        WriteWholeFile(opener, "#!/bin/sh\nprintf '%s|' \"$#\" \"$@\" > \"$0.args\"\n");
        chmod(opener.c_str(), 0700);
        const char* path = std::getenv("PATH");
        m_oldPath = path != nullptr ? path : "";
        setenv("PATH", (dir.path().string() + ":" + m_oldPath).c_str(), 1);
    }
    void TearDown() override { setenv("PATH", m_oldPath.c_str(), 1); }
    std::string Args()
    {
        const std::string file = dir.file("xdg-open.args");
        WaitFor([&] { return std::filesystem::exists(file) && !ReadWholeFile(file).empty(); }, 10s);
        return ReadWholeFile(file);
    }

    TempDir dir;
    std::string m_oldPath;
};

TEST_F(DesktopLauncherTest, AddressIsOneArgumentAndNeverRunByAShell)
{
    platform::XdgDesktopLauncher launcher;
    const std::string url = "http://example.org/a b;touch " + dir.file("pwned") + "$(id)";
    ASSERT_TRUE(launcher.OpenUrl(url));
    EXPECT_EQ(Args(), "1|" + url + "|");
    EXPECT_FALSE(std::filesystem::exists(dir.file("pwned")));
}

TEST_F(DesktopLauncherTest, HomeFolderGoesToTheDefaultHandler)
{
    const std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    setenv("HOME", "/home/presenter", 1);
    platform::XdgDesktopLauncher launcher;
    const bool started = launcher.OpenHomeFolder();
    setenv("HOME", home.c_str(), 1);
    ASSERT_TRUE(started);
    EXPECT_EQ(Args(), "1|/home/presenter|");
}

} // namespace
