#include "PoolFixture.h"

#include "TempDir.h"

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

class ServerLog : public PoolFixture {
protected:
    void SetUp() override
    {
        PoolFixture::SetUp();
        current = dir.file("ServerLog.log");
        backup = dir.file("ServerLogBack.log");
    }
    void TearDown() override
    {
        PoolFixture::TearDown();
        SetLogVariant(LogVariant::Orvelle);
    }
    uintmax_t Size(const std::string& path) const
    {
        std::error_code ec;
        const auto size = fs::file_size(path, ec);
        return ec ? 0 : size;
    }

    TempDir dir;
    std::string current;
    std::string backup;
};

TEST_F(ServerLog, UsesItsOwnLevelWordsAndNoFilter)
{
    ASSERT_EQ(StartServerLogWriter(current.c_str(), backup.c_str()), 0);
    SetLogLevelFilter(KVO_LOG_FATAL);  // the launcher ignores the filter
    WriteLog(SRV_LOG_TRACE, "trace %d", 1);
    WriteLog(SRV_LOG_FATAL, "fatal %d", 6);
    WriteLog(0, "plain");
    CloseLogWriter();
    const std::string text = ReadWholeFile(current);
    EXPECT_NE(text.find("[TRACE]"), std::string::npos);
    EXPECT_NE(text.find("trace 1\r\n"), std::string::npos);
    EXPECT_NE(text.find("[FATAL]"), std::string::npos);
    EXPECT_NE(text.find("plain\r\n"), std::string::npos);
    EXPECT_EQ(text.find("[INFO]"), std::string::npos);
}

TEST_F(ServerLog, RollsOverOnceAThousandLinesFollowAnOversizedFile)
{
    WriteWholeFile(backup, "old backup\n");
    {
        std::ofstream big(current, std::ios::binary);
        big << std::string(static_cast<size_t>(SERVER_LOG_ROLL_SIZE), 'o');
    }
    ASSERT_EQ(StartServerLogWriter(current.c_str(), backup.c_str()), 0);

    // Every line has the same length, so the file's size tells how many were written.
    const auto writeLines = [](int n) {
        for (int i = 0; i < n; ++i)
            WriteLog(SRV_LOG_INFO, "line %04d", i);
    };
    writeLines(1);
    ASSERT_TRUE(WaitUntil([&] { return Size(current) > static_cast<uintmax_t>(SERVER_LOG_ROLL_SIZE); }));
    const uintmax_t lineLen = Size(current) - static_cast<uintmax_t>(SERVER_LOG_ROLL_SIZE);

    writeLines(SERVER_LOG_ROLL_CHECK_LINES - 2);
    const uintmax_t expected = static_cast<uintmax_t>(SERVER_LOG_ROLL_SIZE) + lineLen * (SERVER_LOG_ROLL_CHECK_LINES - 1);
    ASSERT_TRUE(WaitUntil([&] { return Size(current) == expected; }));
    EXPECT_EQ(ReadWholeFile(backup), "old backup\n") << "no roll-over before the 1024th line";

    writeLines(1);
    ASSERT_TRUE(WaitUntil([&] { return Size(current) == 0 && Size(backup) == expected + lineLen; }));
    CloseLogWriter();

    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir.path()))
        ++files;
    EXPECT_EQ(files, 2u) << "the current file and exactly one backup";
    EXPECT_EQ(ReadWholeFile(backup).substr(0, 3), "ooo");

    // The new current file takes the following lines.
    AttachLogQueue(GetDataQueue(KVO_LOG_QUEUE));
    ASSERT_EQ(StartServerLogWriter(current.c_str(), backup.c_str()), 0);
    WriteLog(SRV_LOG_INFO, "after roll");
    CloseLogWriter();
    EXPECT_NE(ReadWholeFile(current).find("after roll"), std::string::npos);
}

TEST_F(ServerLog, UnopenableFileDropsLinesButFreesTheirNodes)
{
    const std::string unopenable = dir.file("missing-folder/ServerLog.log");
    ASSERT_EQ(StartServerLogWriter(unopenable.c_str(), backup.c_str()), 0);
    for (int i = 0; i < 300; ++i)
        WriteLog(SRV_LOG_INFO, "lost %d", i);
    CloseLogWriter();
    EXPECT_FALSE(fs::exists(unopenable));
    EXPECT_EQ(Mem_FreeCount(4), Mem_CreatedCount(4));
}
