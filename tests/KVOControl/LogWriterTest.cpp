#include "PoolFixture.h"

#include "DebugOutput.h"
#include "KVORingQueue.h"

#include <gmock/gmock.h>

#include <cstdio>
#include <regex>
#include <sstream>

using LogWriter = PoolFixture;

namespace {

std::string g_debug;
void CollectDebug(std::string_view text) { g_debug.append(text); }

bool WaitForLines(const MemorySink& sink, size_t n)
{
    return WaitUntil([&] { return sink.Lines().size() >= n; });
}

} // namespace

TEST_F(LogWriter, LineHasLevelWordTimeTextAndCrLf)
{
    MemorySink sink;
    ASSERT_EQ(StartLogWriter(&sink), 0);
    EXPECT_EQ(WriteLog(KVO_LOG_WARN, "DeviceMgr::Run, cmdId=%d devtype:%d begin", 10000, 0), 0);
    WriteLog(7, "no word");
    ASSERT_TRUE(WaitForLines(sink, 2));
    const auto lines = sink.Lines();
    EXPECT_TRUE(std::regex_match(
        lines[0], std::regex(R"(\[WARN\]\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}: DeviceMgr::Run, cmdId=10000 devtype:0 begin\r\n)")))
        << lines[0];
    EXPECT_TRUE(std::regex_match(lines[1], std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}: no word\r\n)")))
        << lines[1];
    EXPECT_EQ(sink.LastSource().rfind("KVOLog.cpp:", 0), 0u);
    EXPECT_GE(sink.Flushes(), 1);
}

TEST_F(LogWriter, LevelBelowTheFilterReachesOnlyTheDebugChannel)
{
    MemorySink sink;
    ASSERT_EQ(StartLogWriter(&sink), 0);
    g_debug.clear();
    platform::SetDebugOutputTap(&CollectDebug);
    WriteLog(KVO_LOG_DEBUG, "detail %d", 1);
    WriteLog(KVO_LOG_INFO, "progress %d", 2);
    platform::SetDebugOutputTap(nullptr);
    ASSERT_TRUE(WaitForLines(sink, 1));
    CloseLogWriter();
    EXPECT_EQ(sink.Text().find("detail"), std::string::npos);
    EXPECT_NE(sink.Text().find("progress 2"), std::string::npos);
    EXPECT_NE(g_debug.find("[DEBUG]"), std::string::npos);
    EXPECT_NE(g_debug.find("detail 1\r\n"), std::string::npos);
    EXPECT_NE(g_debug.find("progress 2\r\n"), std::string::npos);

    // The dropped line's node went back to the pool.
    EXPECT_EQ(Mem_FreeCount(4), Mem_CreatedCount(4));
}

TEST_F(LogWriter, LongMessageIsCutTo967CharactersAndStillEndsTheLine)
{
    MemorySink sink;
    ASSERT_EQ(StartLogWriter(&sink), 0);
    const std::string longText(2000, 'x');
    EXPECT_EQ(WriteLog(KVO_LOG_INFO, "%s", longText.c_str()), 0);
    ASSERT_TRUE(WaitForLines(sink, 1));
    const std::string line = sink.Lines()[0];
    const size_t prefix = line.find(": ") + 2;
    EXPECT_EQ(line.size() - prefix, 967u + 2u);
    EXPECT_EQ(line.substr(line.size() - 3), "x\r\n");
}

TEST_F(LogWriter, EmptyMessageWritesNothing)
{
    MemorySink sink;
    ASSERT_EQ(StartLogWriter(&sink), 0);
    const char* empty = "";
    EXPECT_EQ(WriteLog(KVO_LOG_ERROR, "%s", empty), 0);
    WriteLog(KVO_LOG_ERROR, "after");
    ASSERT_TRUE(WaitForLines(sink, 1));
    CloseLogWriter();
    ASSERT_EQ(sink.Lines().size(), 1u);
    EXPECT_NE(sink.Lines()[0].find("after"), std::string::npos);
}

TEST_F(LogWriter, LinesWrittenBeforeTheWriterStartsWaitInTheQueue)
{
    WriteLog(KVO_LOG_INFO, "early %d", 1);
    WriteLog(KVO_LOG_INFO, "early %d", 2);
    EXPECT_EQ(RingQCount(GetDataQueue(KVO_LOG_QUEUE)), 2);
    MemorySink sink;
    ASSERT_EQ(StartLogWriter(&sink), 0);
    ASSERT_TRUE(WaitForLines(sink, 2));
    EXPECT_NE(sink.Lines()[0].find("early 1"), std::string::npos);
    EXPECT_NE(sink.Lines()[1].find("early 2"), std::string::npos);
}

TEST_F(LogWriter, ClosingWritesEveryQueuedLineInOrderAndLaterCallsWriteNothing)
{
    MemorySink sink;
    ASSERT_EQ(StartLogWriter(&sink), 0);
    EXPECT_EQ(StartLogWriter(&sink), -1);

    constexpr int kPerThread = 400;
    auto producer = [](char name) {
        for (int i = 0; i < kPerThread; ++i)
            WriteLog(KVO_LOG_INFO, "%c %d", name, i);
    };
    std::thread a(producer, 'a');
    std::thread b(producer, 'b');
    a.join();
    b.join();
    CloseLogWriter();

    const auto lines = sink.Lines();
    ASSERT_EQ(lines.size(), 2u * kPerThread);
    int next[2] = {0, 0};
    for (const auto& line : lines) {
        const size_t at = line.find(": ") + 2;
        const int who = line[at] - 'a';
        ASSERT_TRUE(who == 0 || who == 1) << line;
        EXPECT_EQ(std::stoi(line.substr(at + 2)), next[who]) << "lines of one thread keep their order";
        ++next[who];
    }

    EXPECT_EQ(WriteLog(KVO_LOG_ERROR, "too late"), 0);
    DestroyDataQueueMgr();
    EXPECT_EQ(WriteLog(KVO_LOG_ERROR, "much too late"), 0);
    EXPECT_EQ(sink.Lines().size(), 2u * kPerThread);
    EXPECT_EQ(Mem_FreeCount(4), Mem_CreatedCount(4)) << "every log node went back to the pool";
}

TEST_F(LogWriter, ExhaustedPoolDropsTheLineAndReportsOnlyOnce)
{
    MemorySink sink;
    ASSERT_EQ(StartLogWriter(&sink), 0);
    std::vector<pMemNode> hog;
    for (pMemNode node = nullptr; Mem_Alloc(&node, LOG_NODE_SIZE, __FILE__) == MEM_OK;)
        hog.push_back(node);
    ASSERT_EQ(hog.size(), 8192u);

    const uint64_t droppedBefore = LogDroppedLineCount();
    // Without a bound the failure report would allocate, fail and report again for ever.
    EXPECT_EQ(WriteLog(KVO_LOG_INFO, "cannot be carried"), 0);
    EXPECT_EQ(LogDroppedLineCount() - droppedBefore, 2u) << "the line and its failure report";

    for (auto node : hog)
        Mem_Free(node, __FILE__, __func__, __LINE__);
    WriteLog(KVO_LOG_INFO, "carried again");
    CloseLogWriter();
    EXPECT_EQ(sink.Text().find("cannot be carried"), std::string::npos);
    EXPECT_NE(sink.Text().find("carried again"), std::string::npos);
}

TEST_F(LogWriter, ClosingWithoutAWriterReturnsTheQueuedNodes)
{
    for (int i = 0; i < 10; ++i)
        WriteLog(KVO_LOG_INFO, "orphan %d", i);
    CloseLogWriter();
    EXPECT_EQ(RingQCount(GetDataQueue(KVO_LOG_QUEUE)), 0);
    EXPECT_EQ(Mem_FreeCount(4), Mem_CreatedCount(4));
}

namespace {

// For writers in a child process: its standard error is what the death test reads.
class StderrSink final : public ILogSink {
public:
    void SetSource(const char*, int) override {}
    void Append(const char* data, size_t len) override { std::fwrite(data, 1, len, stderr); }
    void Flush() override { std::fflush(stderr); }
};

} // namespace

TEST(LogWriterExit, ProgramEndingWithTheWriterRunningWritesItsLinesAndExitsCleanly)
{
    const auto runAndReturn = [] {
        Mem_CreatePool();
        CreateDataQueueMgr();
        static StderrSink sink;
        StartLogWriter(&sink);
        WriteLog(KVO_LOG_INFO, "last words");
        std::exit(0);
    };
    EXPECT_EXIT(runAndReturn(), ::testing::ExitedWithCode(0), R"(\[INFO\][-0-9 :.]+: last words)");
}

namespace {

// Reads the "hh:mm:ss.mmm" of a line as milliseconds of the day.
long TimeOfDayMs(const std::string& line)
{
    std::smatch m;
    if (!std::regex_search(line, m, std::regex(R"((\d\d):(\d\d):(\d\d)\.(\d{3}): )")))
        return -1;
    return ((std::stol(m[1]) * 60 + std::stol(m[2])) * 60 + std::stol(m[3])) * 1000 + std::stol(m[4]);
}

bool StartUpLinesCameFirst(const std::string& output)
{
    std::vector<std::string> lines;
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    // The kept lines in order, then the note, then what the running writer was given.
    if (lines.size() != LOG_HELD_LINES_MAX + 2u || lines[0].find("config.ini cannot be read") == std::string::npos)
        return false;
    for (int i = 1; i < LOG_HELD_LINES_MAX; ++i) {
        if (lines[static_cast<size_t>(i)].find("early " + std::to_string(i - 1) + "\r") == std::string::npos)
            return false;
    }
    const std::string& note = lines[LOG_HELD_LINES_MAX];
    const std::string& running = lines[LOG_HELD_LINES_MAX + 1];
    return note.rfind("[WARN]", 0) == 0 &&
           note.find("WriteLog() 10 lines dropped before the log started, the first 256 kept") != std::string::npos &&
           running.find("writer running") != std::string::npos &&
           TimeOfDayMs(running) - TimeOfDayMs(lines[0]) >= 20;
}

} // namespace

TEST(LogWriterStartUp, LinesBeforeTheFirstQueueAreWrittenFirstWithTheirTimeAndBounded)
{
    // A fresh process: only lines from before the first queue of a process are held.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto startUp = [] {
        // As in the program: configuration and language tables are read before the link starts.
        WriteLog(KVO_LOG_ERROR, "config.ini cannot be read");
        WriteLog(KVO_LOG_DEBUG, "below the level filter");
        for (int i = 0; i < LOG_HELD_LINES_MAX + 9; ++i)
            WriteLog(KVO_LOG_INFO, "early %d", i);
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        Mem_CreatePool();
        CreateDataQueueMgr();
        static StderrSink sink;
        StartLogWriter(&sink);
        WriteLog(KVO_LOG_INFO, "writer running");
        CloseLogWriter();
        std::exit(0);
    };
    EXPECT_EXIT(startUp(), ::testing::ExitedWithCode(0), ::testing::Truly(StartUpLinesCameFirst));
}
