// The launcher's presence poller on a fake HID layer, and its test for a running main program on
// a folder laid out like /proc.

#include "CKVOServer.h"
#include "FakeHid.h"
#include "KVODataQueueMgr.h"
#include "KVOMemPool.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace {

class PresencePoller : public ::testing::Test {
protected:
    void SetUp() override { platform::SetHidApi(&m_hid); }
    void TearDown() override
    {
        m_server.Stop();
        platform::SetHidApi(nullptr);
    }
    // The presence state of the one message waiting in data queue 0, which is taken; -1 when
    // the queue does not hold exactly one message of the receiver's report id.
    int TakeMessage()
    {
        pMemNode nodes[4];
        int count = 0;
        DeRingQ(GetDataQueue(KVO_SEND_QUEUE), nodes, 4, &count);
        int state = -1;
        if (count == 1 && static_cast<unsigned char>(nodes[0]->data[0]) == 0x0A)
            state = static_cast<unsigned char>(nodes[0]->data[3]) | static_cast<unsigned char>(nodes[0]->data[4]) << 8;
        for (int i = 0; i < count; ++i)
            Mem_Free(nodes[i], __FILE__, __func__, __LINE__);
        return state;
    }

    FakeHidApi m_hid;
    TempDir m_folder;
    CKVOServer m_server{m_folder.file("OrvelleServer")};
};

TEST_F(PresencePoller, QueuesOneMessagePerChangeAndRetriesWhenThePoolIsExhausted)
{
    ASSERT_EQ(m_server.Start(0), 0);
    EXPECT_FALSE(m_server.PollOnce());  // absent, as at start
    m_hid.AddInterface(ReceiverInterface(0x1234, "/dev/hidraw7"));
    EXPECT_FALSE(m_server.PollOnce()) << "a product outside the receiver list counts";

    // Every 128-byte node handed out: the arrival cannot be queued now, but is not forgotten.
    m_hid.AddInterface(ReceiverInterface(0x0186, "/dev/hidraw8"));
    std::vector<pMemNode> held(static_cast<size_t>(Mem_ClassInfo(0).maxNodes));
    for (pMemNode& node : held)
        ASSERT_EQ(Mem_Alloc(&node, 100, __FILE__), 0);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(m_server.PollOnce());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "WriteLog() call Mem_Alloc() failed.\n");
    for (pMemNode node : held)
        Mem_Free(node, __FILE__, __func__, __LINE__);
    EXPECT_TRUE(m_server.PollOnce());
    EXPECT_EQ(TakeMessage(), 1);
    EXPECT_FALSE(m_server.PollOnce());

    m_hid.RemoveInterface("/dev/hidraw8");
    EXPECT_TRUE(m_server.PollOnce());
    EXPECT_EQ(TakeMessage(), 0);
}

// A /proc with one process whose executable is `target`.
void AddProcess(const fs::path& proc, int pid, const std::string& target)
{
    fs::create_directories(proc / std::to_string(pid));
    fs::create_symlink(target, proc / std::to_string(pid) / "exe");
}

TEST(MainProgramTest, RunsOnlyWhenItsOwnFileIsAProcessesExecutable)
{
    TempDir root;
    const fs::path proc = root.path() / "proc";
    const CMainProgram program("/opt/orvelle/Orvelle");
    fs::create_directories(proc / "self");
    fs::create_directories(proc / "12");  // no exe link: unreadable, skipped
    AddProcess(proc, 20, "/opt/orvelle/OrvelleServer");
    AddProcess(proc, 21, "/home/u/bundle/Orvelle");
    AddProcess(proc, 22, "/opt/orvelle/orvelle");
    EXPECT_FALSE(program.IsRunning(proc.string()));

    AddProcess(proc, 30, "/opt/orvelle/Orvelle (deleted)");  // replaced by an upgrade while it runs
    EXPECT_TRUE(program.IsRunning(proc.string()));
    EXPECT_FALSE(CMainProgram("/opt/orvelle/Orvelle (deleted)").IsRunning((root.path() / "none").string()));
}

} // namespace

TEST(MainProgramTest, StartThatCannotExecSaysWhy)
{
    TempDir root;
    WriteWholeFile(root.file("Orvelle"), "not a program\n");
    fs::permissions(root.file("Orvelle"), fs::perms::owner_read | fs::perms::owner_write);
    const CMainProgram program(root.file("Orvelle"));
    EXPECT_TRUE(program.Exists());
    errno = 0;
    EXPECT_EQ(program.Start(), -1);
    EXPECT_EQ(errno, EACCES);
}
