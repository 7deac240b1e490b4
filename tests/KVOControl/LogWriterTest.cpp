#include "PoolFixture.h"

#include "DebugOutput.h"
#include "KVORingQueue.h"

#include <regex>

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

TEST(LogWriterExit, ProgramEndingWithTheWriterRunningWritesItsLinesAndExitsCleanly)
{
    const auto runAndReturn = [] {
        Mem_CreatePool();
        CreateDataQueueMgr();
        static MemorySink sink;
        StartLogWriter(&sink);
        WriteLog(KVO_LOG_INFO, "last words");
        std::exit(0);
    };
    EXPECT_EXIT(runAndReturn(), ::testing::ExitedWithCode(0), "");
}
