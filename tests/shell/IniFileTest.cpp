#include "IniFile.h"

#include "PoolFixture.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

CIniFile::FaultPoint g_failAt;
bool FailAtChosenPoint(CIniFile::FaultPoint point) { return point == g_failAt; }

struct ScopedFault {
    explicit ScopedFault(CIniFile::FaultPoint point)
    {
        g_failAt = point;
        CIniFile::SetFaultHook(&FailAtChosenPoint);
    }
    ~ScopedFault() { CIniFile::SetFaultHook(nullptr); }
};

} // namespace

TEST(IniFile, MissingFileReadsDefaultsAndTheFirstWriteCreatesIt)
{
    TempDir dir;
    const std::string config = dir.file("config.ini");
    std::string value;
    EXPECT_EQ(CIniFile::ReadString("FunSelect", "SelValue", "123456", value, config), -1);
    EXPECT_EQ(value, "123456");
    EXPECT_EQ(CIniFile::ReadInt("FunSet_Set", "MouseDPI", config, 80), 80);
    EXPECT_FLOAT_EQ(CIniFile::ReadFloat("FunSet_Zoom", "ZoomMom", config, 2.0f), 2.0f);

    EXPECT_EQ(CIniFile::WriteFloat("FunSet_Zoom", "ZoomMom", 2.5f, config), 0);
    EXPECT_EQ(CIniFile::WriteInt("FunSet_Set", "MouseDPI", -3, config), 0);
    EXPECT_EQ(ReadWholeFile(config), "\n[FunSet_Zoom]\nZoomMom = 2.500000\n\n[FunSet_Set]\nMouseDPI = -3\n");
    EXPECT_EQ(CIniFile::ReadString("FunSet_Zoom", "ZoomMom", "", value, config), 0);
    EXPECT_EQ(value, "2.500000");
    EXPECT_FLOAT_EQ(CIniFile::ReadFloat("FunSet_Zoom", "ZoomMom", config, 0.0f), 2.5f);
    EXPECT_EQ(CIniFile::ReadInt("FunSet_Set", "MouseDPI", config, 80), -3);

    // Beyond the float range a real reads as infinity rather than as garbage.
    EXPECT_EQ(CIniFile::WriteString("FunSet_Zoom", "ZoomMom", "-1e300", config), 0);
    EXPECT_EQ(CIniFile::ReadFloat("FunSet_Zoom", "ZoomMom", config, 2.0f), -std::numeric_limits<float>::infinity());
    EXPECT_FALSE(fs::exists(config + ".tmp"));
}

TEST(IniFile, FailedReplaceLeavesTheOldFileWhole)
{
    TempDir dir;
    const std::string config = dir.file("config.ini");
    const std::string original = "[FunSet_Set]\nMouseDPI = 55\n\n[Log]\nLog_Level = 1\n";
    WriteWholeFile(config, original);

    for (auto point : {CIniFile::FaultPoint::WriteScratch, CIniFile::FaultPoint::Rename}) {
        ScopedFault fault(point);
        EXPECT_EQ(CIniFile::WriteInt("FunSet_Set", "MouseDPI", 70, config), -1);
        EXPECT_EQ(ReadWholeFile(config), original);
        EXPECT_FALSE(fs::exists(config + ".tmp"));
    }

    // A real write failure: the scratch file lands on a full device.
    fs::create_symlink("/dev/full", config + ".tmp");
    EXPECT_EQ(CIniFile::WriteInt("FunSet_Set", "MouseDPI", 70, config), -1);
    EXPECT_EQ(ReadWholeFile(config), original);

    // With the obstacle gone the same write goes through.
    fs::remove(config + ".tmp");
    EXPECT_EQ(CIniFile::WriteInt("FunSet_Set", "MouseDPI", 70, config), 0);
    EXPECT_EQ(CIniFile::ReadInt("FunSet_Set", "MouseDPI", config, 80), 70);
}

TEST(IniFile, UnreadableFileIsNeverReplaced)
{
    TempDir dir;
    // A folder where the file should be: it cannot be read, so a write must not overwrite it.
    const std::string config = dir.file("config.ini");
    fs::create_directory(config);
    WriteWholeFile(config + "/keep", "x");
    EXPECT_EQ(CIniFile::WriteInt("Log", "Log_Level", 1, config), -1);
    EXPECT_TRUE(fs::exists(config + "/keep"));
    EXPECT_EQ(CIniFile::ReadInt("Log", "Log_Level", config, 4), 4);
}

TEST(IniFile, BinaryAndOverlongContentSurvivesAWrite)
{
    TempDir dir;
    const std::string config = dir.file("config.ini");
    static const char png[] = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xfe=\xc3\x28\n";
    std::string junk(png, sizeof(png) - 1);
    junk += std::string(5000, '=') + "\n";
    const std::string original = junk + "[CustomKey]\nkey = 8\n";
    WriteWholeFile(config, original);

    EXPECT_EQ(CIniFile::ReadInt("CustomKey", "key", config, 1), 8);
    EXPECT_EQ(CIniFile::WriteString("CustomKey", "weburl", "example.org", config), 0);
    EXPECT_EQ(ReadWholeFile(config), junk + "[CustomKey]\nweburl = example.org\nkey = 8\n");
}

TEST(IniFile, ConcurrentWritersKeepEveryKey)
{
    TempDir dir;
    const std::string config = dir.file("config.ini");
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t) {
        writers.emplace_back([&config, t] {
            for (int i = 0; i < 10; ++i)
                CIniFile::WriteInt("CustomKey", "Image" + std::to_string(t * 10 + i) + "Url", i, config);
        });
    }
    for (auto& w : writers)
        w.join();
    for (int t = 0; t < 4; ++t) {
        for (int i = 0; i < 10; ++i)
            EXPECT_EQ(CIniFile::ReadInt("CustomKey", "Image" + std::to_string(t * 10 + i) + "Url", config, -1), i);
    }
}

using IniFileLog = PoolFixture;

TEST_F(IniFileLog, AnUnreadableLineIsReportedOnce)
{
    MemorySink sink;
    ASSERT_EQ(StartLogWriter(&sink), 0);
    TempDir dir;
    const std::string config = dir.file("config.ini");
    WriteWholeFile(config, "[Log]\n" + std::string(1500, 'x') + "\nLog_Level = 2\n");
    EXPECT_EQ(CIniFile::ReadInt("Log", "Log_Level", config, 1), 2);
    EXPECT_EQ(CIniFile::ReadInt("Log", "Log_Delete_Day", config, 7), 7);
    CloseLogWriter();
    // Earlier tests of this program may have left lines of their own for the writer.
    std::vector<std::string> reports;
    for (const std::string& line : sink.Lines()) {
        if (line.find(config) != std::string::npos)
            reports.push_back(line);
    }
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("line 2 is too long or not text"), std::string::npos) << reports[0];
}
