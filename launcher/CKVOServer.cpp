#include "CKVOServer.h"

#include "CAutorunEntry.h"
#include "IHidApi.h"
#include "KVODataQueueMgr.h"
#include "KVOHidThreadManager.h"
#include "KVOLog.h"
#include "KVOMemPool.h"
#include "UserFolders.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

namespace {

// Set before the workers start, cleared when the launcher ends; clearing it ends their pauses.
KVOLinkRunningFlag g_bServerRunning;

constexpr int kConsumerBatch = 256;
// A presence message: a 128-byte node, byte 0 the report id, bytes 3 and 4 the 16-bit
// little-endian state (1 present, 0 absent).
constexpr int kPresenceNodeSize = 128;
constexpr unsigned char kPresenceReportId = 0x0A;

void FreeMessages(pMemNode* nodes, int count)
{
    for (int i = 0; i < count; ++i) {
        if (nodes[i] && Mem_Free(nodes[i], __FILE__, __func__, __LINE__) != 0)
            WriteLog(SRV_LOG_ERROR, "ThreadSendCommand Free MemNode error!");
    }
}

} // namespace

CKVOServer::CKVOServer(std::string launcherPath)
    : m_launcherPath(std::move(launcherPath)),
      m_folder(std::filesystem::path(m_launcherPath).parent_path().string()),
      m_program((std::filesystem::path(m_folder) / CMainProgram::kProgramName).string())
{
    // Beside the launcher, unless the user may not write there (a system install).
    const CUserFolders folders = CUserFolders::For(m_folder);
    folders.Create();
    m_logFolder = folders.StateFolder();
}

CKVOServer::~CKVOServer() { Stop(); }

std::string CKVOServer::CurrentLogPath() const
{
    return (std::filesystem::path(m_logFolder) / "ServerLog.log").string();
}

std::string CKVOServer::BackupLogPath() const
{
    return (std::filesystem::path(m_logFolder) / "ServerLogBack.log").string();
}

int CKVOServer::Start(unsigned threads)
{
    if (m_started)
        return 0;
    if (const int rc = Mem_CreatePool(); rc != 0)
        return rc;
    if (const int rc = CreateDataQueueMgr(); rc != 0) {
        Mem_DestroyPool();
        return rc;
    }
    SetLogVariant(LogVariant::Server);
    StartServerLogWriter(CurrentLogPath().c_str(), BackupLogPath().c_str());
    m_started = true;
    g_bServerRunning = true;
    // The consumer first, so that the poller's first message finds it waiting.
    if (threads & kConsumer)
        m_consumer = std::thread(&CKVOServer::ThreadInitKVOServer, this);
    if (threads & kPoller)
        m_poller = std::thread(&CKVOServer::ThreadFindHIDFunc, this);
    if (threads & kStarter)
        m_starter = std::thread(&CKVOServer::ThreadStartApp, this);
    return 0;
}

void CKVOServer::Stop()
{
    if (!m_started)
        return;
    m_started = false;
    g_bServerRunning = false;
    RingQueue* presence = GetDataQueue(KVO_SEND_QUEUE);
    RingQWake(presence);
    for (std::thread* t : {&m_starter, &m_poller, &m_consumer}) {
        if (t->joinable())
            t->join();
    }
    // Messages nobody took any more go back before the pool goes.
    pMemNode nodes[kConsumerBatch];
    int count = 0;
    while (DeRingQ(presence, nodes, kConsumerBatch, &count) == 0)
        FreeMessages(nodes, count);
    CloseLogWriter();
    DestroyDataQueueMgr();
    Mem_DestroyPool();
}

void CKVOServer::StartAttempts(bool fromConsumer)
{
    std::lock_guard lock(m_startLock);
    for (int attempt = 0; attempt < kStartAttempts && g_bServerRunning; ++attempt) {
        if (m_program.IsRunning())
            break;
        if (fromConsumer)
            WriteLog(SRV_LOG_INFO, "ThreadInitKVOServer() call  start ShellExecute..%d!", attempt);
        else
            WriteLog(SRV_LOG_INFO, "ThreadStartApp() call  start ShellExecute..%d!", attempt);
        if (m_program.Start() < 0)
            WriteLog(SRV_LOG_ERROR, "CMainProgram::Start %s cannot be started: %s", m_program.Path().c_str(),
                     std::strerror(errno));
        if (!g_bServerRunning.WaitWhileRunning(kAttemptPauseMs))
            break;
    }
}

void CKVOServer::ThreadStartApp()
{
    if (!g_bServerRunning.WaitWhileRunning(kStartDelayMs))
        return;
    if (!m_program.Exists())
        return;
    StartAttempts(false);
}

bool CKVOServer::PollOnce()
{
    const bool present = KVOAnyReceiverPresent();
    if (present == m_present)
        return false;
    WriteLog(SRV_LOG_INFO, present ? "ThreadFindHIDFunc() Adding!" : "ThreadFindHIDFunc() Removing!");
    pMemNode node = nullptr;
    if (Mem_Alloc(&node, kPresenceNodeSize, __FILE__) != 0) {
        std::printf("WriteLog() call Mem_Alloc() failed.\n");
        std::fflush(stdout);
        return false;
    }
    std::memset(node->data, 0, kPresenceNodeSize);
    node->data[0] = static_cast<char>(kPresenceReportId);
    node->data[3] = present ? 1 : 0;  // 16-bit little-endian state
    node->data[4] = 0;
    node->data_len = kPresenceNodeSize;
    EnRingQWait(GetDataQueue(KVO_SEND_QUEUE), node);
    m_present = present;
    return true;
}

void CKVOServer::ThreadFindHIDFunc()
{
    while (g_bServerRunning) {
        PollOnce();
        g_bServerRunning.WaitWhileRunning(kPollPeriodMs);
    }
}

void CKVOServer::ThreadInitKVOServer()
{
    RingQueue* queue = GetDataQueue(KVO_SEND_QUEUE);
    bool previous = false;
    pMemNode nodes[kConsumerBatch];
    while (g_bServerRunning) {
        int count = 0;
        DeRingQTimedWhile(queue, nodes, kConsumerBatch, &count, 0, [] { return g_bServerRunning.load(); });
        for (int i = 0; i < count; ++i) {
            const pMemNode node = nodes[i];
            if (!node)
                continue;
            const auto* data = reinterpret_cast<const unsigned char*>(node->data);
            const int state = data[3] | (data[4] << 8);
            const bool present = state != 0;
            if (data[0] == kPresenceReportId && present != previous) {
                if (present) {
                    WriteLog(SRV_LOG_INFO, "ThreadInitKVOServer() Adding! %s", m_program.Path().c_str());
                    if (m_program.Exists())
                        StartAttempts(true);
                    CAutorunEntry::Refresh(m_launcherPath);
                } else {
                    WriteLog(SRV_LOG_INFO, "ThreadInitKVOServer() Removing!");
                }
            }
            FreeMessages(&nodes[i], 1);
            previous = present;
        }
    }
}
