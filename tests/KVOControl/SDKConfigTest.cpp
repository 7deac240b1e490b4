// The tuning file: written with its defaults when missing, read back otherwise.

#include "KVOSDKConfig.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(SDKConfigTest, MissingFileIsCreatedWithTheEightDefaults)
{
    TempDir dir;
    const std::filesystem::path path = dir.path() / "Quillon" / "Software" / "SDKConfig.ini";
    const KVOSDKConfigValues values = KVOSDKConfig::Load(path.string());
    EXPECT_FALSE(values.dataLatencyAlertEnabled);
    EXPECT_DOUBLE_EQ(values.dataLatencyThresholdMs, 500.0);
    EXPECT_EQ(values.dpi, 80);
    EXPECT_FLOAT_EQ(values.speedScale, 1.0f);
    const std::string text = ReadAll(path);
    for (const char* line : {"[Debug]", "DebugRenderTime=0", "DebugDataLatencyAlertEnabled=0",
                             "DebugDataLatencyThresholdMS=500", "DebugPacketDeltaTime=0",
                             "DebugDataReceiveToProcessLatency=0", "[DPI]", "DebugDpi=0", "Dpi=80", "[Cursor]",
                             "SpeedScale=1.0"})
        EXPECT_NE(text.find(line), std::string::npos) << line;

    // The written file reads back as the same defaults.
    const KVOSDKConfigValues again = KVOSDKConfig::Load(path.string());
    EXPECT_EQ(again.dpi, 80);
    EXPECT_DOUBLE_EQ(again.dataLatencyThresholdMs, 500.0);
}

TEST(SDKConfigTest, ExistingValuesWinAndBadOnesKeepTheirDefaults)
{
    TempDir dir;
    const std::filesystem::path path = dir.path() / "SDKConfig.ini";
    {
        std::ofstream out(path);
        out << "[Debug]\r\nDebugDataLatencyAlertEnabled = 7\r\nDebugDataLatencyThresholdMS=25\r\n"
               "DebugDataReceiveToProcessLatency=x\r\n[DPI]\r\nDpi=\r\n[Cursor]\r\nSpeedScale=1.75\r\n"
               "[Other]\r\nDpi=5\r\n";
    }
    const KVOSDKConfigValues values = KVOSDKConfig::Load(path.string());
    EXPECT_TRUE(values.dataLatencyAlertEnabled);
    EXPECT_DOUBLE_EQ(values.dataLatencyThresholdMs, 25.0);
    EXPECT_FALSE(values.dataReceiveToProcessLatency);
    EXPECT_EQ(values.dpi, 80);
    EXPECT_FLOAT_EQ(values.speedScale, 1.75f);
    // An existing file is never rewritten.
    EXPECT_NE(ReadAll(path).find("[Other]"), std::string::npos);
}

TEST(SDKConfigTest, PathFollowsXdgDataHome)
{
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string savedValue = saved != nullptr ? saved : "";
    const std::string savedHome = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    setenv("XDG_DATA_HOME", "/data/home", 1);
    EXPECT_EQ(KVOSDKConfig::DefaultPath(), "/data/home/Quillon/Software/SDKConfig.ini");
    // A relative value is invalid by the XDG rules; the home folder's default applies.
    setenv("XDG_DATA_HOME", "relative", 1);
    setenv("HOME", "/home/u", 1);
    EXPECT_EQ(KVOSDKConfig::DefaultPath(), "/home/u/.local/share/Quillon/Software/SDKConfig.ini");
    setenv("HOME", savedHome.c_str(), 1);
    if (saved != nullptr)
        setenv("XDG_DATA_HOME", savedValue.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
}

} // namespace
