#include "KVOOperationsManager.h"

#include "Clock.h"
#include "ControllerSet.h"
#include "KVODataQueueMgr.h"
#include "KVOFrameHeader.h"
#include "KVOHidThreadManager.h"
#include "KVOLog.h"
#include "KVOMemPool.h"

#include <chrono>
#include <cstring>
#include <mutex>

namespace {

constexpr uint32_t kAllocRetryMs = 100;
constexpr int kNoManagerPollMs = 5;

uint8_t TargetByte()
{
    DeviceMgr* deviceMgr = ExistingDeviceMgr();
    return deviceMgr != nullptr && deviceMgr->GetDevType() == KVO_WIRLESS_MOUSE ? 2 : 1;
}

// A duration in 10 ms units, low byte first.
void PutTenMs(uint8_t* at, int milliseconds)
{
    const auto units = static_cast<uint32_t>(milliseconds / 10);
    at[0] = static_cast<uint8_t>(units & 0xFF);
    at[1] = static_cast<uint8_t>((units >> 8) & 0xFF);
}

// A cleared frame node with the header and the four common bytes written; null (logged) when
// the pool has no node.
uint8_t* NewFrame(pMemNode* node, int frameLength, uint8_t code, const char* caller)
{
    *node = nullptr;
    const int rc = Mem_Alloc(node, KVO_FRAME_NODE_SIZE, __FILE__);
    if (rc != MEM_OK || *node == nullptr) {
        WriteLog(KVO_LOG_ERROR, "%s() Call Mem_Alloc() Error,irstCode = %d!", caller, rc);
        *node = nullptr;
        return nullptr;
    }
    std::memset((*node)->data, 0, KVO_FRAME_NODE_SIZE);
    KVOFrameHeader header;
    header.length = frameLength;
    WriteFrameHeader(*node, header);
    (*node)->data_len = KVO_FRAME_HEADER_SIZE + frameLength;
    uint8_t* frame = FrameReport(*node);
    frame[0] = KVO_REPORT_ID;
    frame[1] = KVO_FRAME_FROM_HOST;
    frame[2] = TargetByte();
    frame[3] = code;
    return frame;
}

// Hands the node to `queue`, waiting while it is full. Without a queue the node goes back.
bool QueueFrame(RingQueue* queue, pMemNode node, const char* caller)
{
    if (queue == nullptr) {
        WriteLog(KVO_LOG_ERROR, "%s() send queue not created, frame dropped", caller);
        Mem_Free(node, __FILE__, caller, __LINE__);
        return false;
    }
    EnRingQWait(queue, node);
    return true;
}

// Orders the periodic heartbeat's read of the mouse mode and its put against explicit
// heartbeats: one that read the mode before a change is queued before the heartbeat that
// announces the change, so the remote is never left on a stale mode (at exit: mode 0 last).
std::mutex g_heartbeatOrder;

bool QueueHeartbeat(RingQueue* queue, int mode, int ban, const char* caller)
{
    pMemNode node = nullptr;
    uint8_t* frame = NewFrame(&node, KVO_FRAME_LENGTH, KVO_CMD_HEARTBEAT, caller);
    if (frame == nullptr)
        return false;
    frame[4] = static_cast<uint8_t>(mode);
    frame[5] = static_cast<uint8_t>(ban);
    return QueueFrame(queue, node, caller);
}

} // namespace

uint8_t MotorDuty(int shockIntensity)
{
    switch (shockIntensity) {
    case 1:
        return 30;
    case 2:
        return 50;
    case 3:
        return 70;
    default:
        return 10;
    }
}

void SendHeartCommand(int mode1, int model2)
{
    WriteLog(KVO_LOG_INFO, "SendHeartCommand() Mode1 = %d Model2 = %d !", mode1, model2);
    bool queued = false;
    {
        std::lock_guard order(g_heartbeatOrder);
        queued = QueueHeartbeat(GetDataQueue(KVO_SEND_QUEUE), mode1, model2, "SendHeartCommand");
    }
    if (!queued)
        platform::Sleep(kAllocRetryMs);
}

int SendMotorCmdFunc(int motorTime, int shockIntensity)
{
    pMemNode node = nullptr;
    uint8_t* frame = NewFrame(&node, KVO_FRAME_LENGTH, KVO_CMD_MOTOR, "SendMotorCmdFunc");
    if (frame == nullptr)
        return 0;
    const uint8_t duty = MotorDuty(shockIntensity);
    PutTenMs(frame + 4, motorTime);
    frame[6] = duty;
    if (!QueueFrame(GetDataQueue(KVO_SEND_QUEUE), node, "SendMotorCmdFunc"))
        return 0;
    WriteLog(KVO_LOG_INFO, "SendMotorCmdFunc() shockIntensity:%d motorTime:%d duty:%d", shockIntensity, motorTime, duty);
    return 1;
}

int SendSensitivityCmdFunc(int nDPI, int nRate)
{
    WriteLog(KVO_LOG_INFO, "---SendSensitivityCmdFunc() nDPI:%d nRate:%d", nDPI, nRate);
    pMemNode node = nullptr;
    uint8_t* frame = NewFrame(&node, KVO_FRAME_LENGTH, KVO_CMD_SENSITIVITY, "SendSensitivityCmdFunc");
    if (frame == nullptr)
        return 0;
    frame[4] = static_cast<uint8_t>(nDPI);
    frame[5] = static_cast<uint8_t>(nRate);
    if (!QueueFrame(GetDataQueue(KVO_SEND_QUEUE), node, "SendSensitivityCmdFunc"))
        return 0;
    WriteLog(KVO_LOG_INFO, "SendSensitivityCmdFunc() DPI:%d, Rate:%d", nDPI, nRate);
    return 1;
}

bool SendTimeOutCmdFunc(int connectTimeOut, int unConnectTimeOut)
{
    WriteLog(KVO_LOG_INFO, "---SendTimeOutCmdFunc() ConnectTimeOut:%d UnConnectTimeOut:%d", connectTimeOut,
             unConnectTimeOut);
    if (g_commandhid.IsOpen()) {
        pMemNode node = nullptr;
        uint8_t* frame = NewFrame(&node, KVO_TIMEOUT_FRAME_LENGTH, KVO_CMD_TIMEOUT, "SendTimeOutCmdFunc");
        if (frame == nullptr)
            return false;
        PutTenMs(frame + 4, connectTimeOut);
        PutTenMs(frame + 6, unConnectTimeOut);
        QueueFrame(GetDataQueue(KVO_SEND_QUEUE), node, "SendTimeOutCmdFunc");
    } else {
        WriteLog(KVO_LOG_ERROR, "SendTimeOutCmdFunc() Call g_commandhid = NULL !");
    }
    WriteLog(KVO_LOG_INFO, "SendTimeOutCmdFunc() 设置休眠时间 ConnectTimeOut:%d  UnConnectTimeOut:%d", connectTimeOut,
             unConnectTimeOut);
    return true;
}

void ThreadSendCmdFunc(RingQueue* heartQueue)
{
    const auto period = std::chrono::milliseconds(KVO_HEARTBEAT_PERIOD_MS);
    auto next = std::chrono::steady_clock::now();
    while (g_bLinkRunning.load()) {
        DeviceMgr* deviceMgr = ExistingDeviceMgr();
        if (deviceMgr == nullptr) {
            g_bLinkRunning.WaitWhileRunning(kNoManagerPollMs);
            continue;
        }
        // One wake-up a period; clearing the running flag ends the sleep at once. The period is
        // kept on a fixed schedule: a heartbeat that drifted later each time would now and then
        // let the writer's one-second wait run out first and wake it once more.
        bool queued = false;
        {
            std::lock_guard order(g_heartbeatOrder);
            queued = QueueHeartbeat(heartQueue, deviceMgr->GetMouseMode(), 0, "ThreadSendCmdFunc");
        }
        if (queued) {
            const auto now = std::chrono::steady_clock::now();
            next += period;
            if (next <= now || next > now + period)
                next = now + period;
            g_bLinkRunning.WaitWhileRunningUntil(next);
        } else {
            g_bLinkRunning.WaitWhileRunning(static_cast<int>(kAllocRetryMs));
        }
    }
    WriteLog(KVO_LOG_ERROR, "ThreadSendCmdFunc() Exit!");
}
