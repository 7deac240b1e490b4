#include "KVOReportDecoder.h"

#include "Clock.h"
#include "ControllerSet.h"
#include "KVOFrameHeader.h"
#include "KVOLog.h"
#include "KVOMemPool.h"
#include "KVOHidThreadManager.h"
#include "KVORingQueue.h"
#include "ProtocolCmdDef.h"

#include <cstring>

std::atomic<bool> g_bIsInitComplete{false};
std::atomic<bool> g_bIsReboot{false};
std::atomic<bool> g_bIsMultiDevice{false};

namespace {

std::atomic<bool> g_logReceiveLatency{false};

// Status bytes of housekeeping reports that carry no key, motion or status.
bool IsHousekeeping(uint8_t status) { return status == 0xD5 || status == 0xD9 || status == 0xE0; }

} // namespace

ObjectManager& MovePosQueue()
{
    static ObjectManager _MovePos_queue(KVO_MOVEPOS_CAPACITY);
    return _MovePos_queue;
}

void SetReceiveLatencyLogging(bool enabled) { g_logReceiveLatency = enabled; }

KVOReportDecoder::KVOReportDecoder(ObjectManager& movePosQueue)
    : m_movePos(movePosQueue), m_lastAliveTime(platform::GetTickCount())
{
}

void KVOReportDecoder::DecodeNode(const MemNode* node)
{
    if (node == nullptr) {
        WriteLog(KVO_LOG_ERROR, "ThreadRecvCmdFunc() Recv  NULL == pMemNodeT");
        return;
    }
    // The node's length is set by whoever filled it; never trust it past the buffer.
    int filled = node->data_len;
    if (filled > node->size)
        filled = node->size;
    if (node->data == nullptr || filled < KVO_FRAME_HEADER_SIZE) {
        WriteLog(KVO_LOG_WARN, "ThreadRecvCmdFunc() node without frame header, data_len:%d", node->data_len);
        return;
    }
    const KVOFrameHeader header = ReadFrameHeader(node);
    if (g_logReceiveLatency.load() && header.recvTime > 0)
        WriteLog(KVO_LOG_ERROR, "[Performance][Warning] Data delta: %.4fms", platform::HighResMs() - header.recvTime);
    DecodeReport(reinterpret_cast<const uint8_t*>(node->data) + KVO_FRAME_HEADER_SIZE, filled - KVO_FRAME_HEADER_SIZE,
                 header.source);
}

void KVOReportDecoder::DecodeReport(const uint8_t* report, int length, int source)
{
    if (report == nullptr || length < KVO_REPORT_BYTES) {
        WriteLog(KVO_LOG_WARN, "ThreadRecvCmdFunc() short report dropped, len:%d", length);
        return;
    }
    if (report[0] != KVO_REPORT_ID) {
        WriteLog(KVO_LOG_WARN, "ThreadRecvCmdFunc() report id 0x%02X dropped", report[0]);
        return;
    }
    const uint8_t status = report[KVO_REPORT_STATUS];
    if (IsHousekeeping(status)) {
        WriteLog(KVO_LOG_DEBUG, "ThreadRecvCmdFunc() status 0x%02X report skipped", status);
        return;
    }
    const bool online = (status & KVO_STATUS_ONLINE) != 0;
    const int modelBit = (status & KVO_STATUS_MODEL) != 0 ? 1 : 0;
    const int linkKind = source == KVO_LINK_BLE ? KVO_LINK_BLE : KVO_LINK_HID;
    const uint8_t key = report[KVO_REPORT_KEY];
    const bool active = key != 0 || report[KVO_REPORT_BUTTON] != 0;
    const uint32_t now = platform::GetTickCount();

    DeviceMgr* deviceMgr = ExistingDeviceMgr();
    const bool accepted = deviceMgr == nullptr || Arbitrate(*deviceMgr, linkKind, modelBit, active, now);
    if (online)
        m_lastAliveTime = now;
    if (!accepted)
        return;

    if (deviceMgr == nullptr || g_bIsReboot.load() || status == 0 || !g_bIsInitComplete.load()) {
        if (status == 0 && deviceMgr != nullptr)
            deviceMgr->SetStatus(DEVICE_STATUS_DISCONNECTED);
        if (status != 0)
            WriteLog(KVO_LOG_ERROR, "ThreadRecvCmdFunc() Error g_bIsMultiDevice:%d  g_bIsReboot:%d g_bIsInitComplete:%d",
                     g_bIsMultiDevice.load() ? 1 : 0, g_bIsReboot.load() ? 1 : 0, g_bIsInitComplete.load() ? 1 : 0);
        return;
    }

    if (online) {
        if (status & KVO_STATUS_PRESENTER)
            m_devType = 0;
        else if (status & KVO_STATUS_WIRELESS_MOUSE)
            m_devType = 1;
        else
            m_devType = deviceMgr->GetDevType();
    }
    deviceMgr->SetCharging(static_cast<uint8_t>(key >> 7));

    if (online && (deviceMgr->GetStatus() == DEVICE_STATUS_DISCONNECTED || m_devType != deviceMgr->GetDevType())) {
        deviceMgr->PushCmd(CMD_DEVICE_CONNECTED, m_devType);
        return;
    }
    if (deviceMgr->GetStatus() == DEVICE_STATUS_CONNECTED) {
        OfferMotion(report);
        const int managerType = deviceMgr->GetDevType();
        if (managerType != m_lastSyncType) {
            m_lastSyncType = managerType;
            deviceMgr->PushCmd(CMD_SYNC_PARAMETERS, m_devType);
        }
    }
}

bool KVOReportDecoder::Arbitrate(DeviceMgr& deviceMgr, int linkKind, int modelBit, bool active, uint32_t now)
{
    if (deviceMgr.GetLinkKind() == KVO_LINK_UNKNOWN) {
        deviceMgr.SetLinkKind(linkKind);
        deviceMgr.SetModelBit(modelBit);
        m_lastActivityTime = now;
        return true;
    }
    if (deviceMgr.GetLinkKind() == linkKind && deviceMgr.GetModelBit() == modelBit) {
        if (active)
            m_lastActivityTime = now;
        return true;
    }
    // The other link only takes over with a key or button, once the current one has been quiet.
    if (!active || platform::TicksSince(m_lastActivityTime, now) < KVO_LINK_SWITCH_MS)
        return false;
    deviceMgr.SetLinkKind(linkKind);
    deviceMgr.SetModelBit(modelBit);
    m_lastActivityTime = now;
    return true;
}

void KVOReportDecoder::OfferMotion(const uint8_t* report)
{
    cmdInfo* record = m_movePos.getObj();
    if (record == nullptr) {
        WriteLog(KVO_LOG_INFO, "****** ThreadRecvCmdFunc offer size:%d", m_movePos.queueSize());
        return;
    }
    std::memcpy(record->data.get(), report, KVO_REPORT_BYTES);
    record->dataLength = KVO_REPORT_BYTES;
    const int queued = m_movePos.queueSize();
    if (queued > 10)
        WriteLog(KVO_LOG_INFO, "------ ThreadRecvCmdFunc _MovePos_queue size:%d", queued);
    if (m_movePos.offerObjNoWait(record) != 0)
        WriteLog(KVO_LOG_INFO, "****** ThreadRecvCmdFunc offer size:%d", m_movePos.queueSize());
}

void KVOReportDecoder::CheckSilence()
{
    DeviceMgr* deviceMgr = ExistingDeviceMgr();
    if (deviceMgr == nullptr || deviceMgr->GetStatus() != DEVICE_STATUS_CONNECTED)
        return;
    const uint32_t now = platform::GetTickCount();
    if (platform::TicksSince(m_lastAliveTime, now) <= KVO_SILENCE_TIMEOUT_MS)
        return;
    m_lastSyncType = -1;
    m_lastAliveTime = now;
    deviceMgr->PushCmd(CMD_CONNECT_TIMEOUT, m_devType);
}

void ThreadRecvCmdFunc(RingQueue* recvQueue)
{
    if (recvQueue == nullptr) {
        WriteLog(KVO_LOG_ERROR, "ThreadRecvCmdFunc() no receive queue");
        return;
    }
    KVOReportDecoder decoder(MovePosQueue());
    pMemNode batch[KVO_RECV_BATCH];
    bool stopped = false;
    while (!stopped && g_bLinkRunning.load()) {
        int count = 0;
        DeRingQTimed(recvQueue, batch, KVO_RECV_BATCH, &count, KVO_RECV_WAIT_MS);
        for (int i = 0; i < count; ++i) {
            pMemNode node = batch[i];
            if (node != nullptr && node->stop_tag == 1) {
                WriteLog(KVO_LOG_ERROR, "ThreadRecvCmdFunc() break, because: (1 == p_MemNode->stop_tag).");
                stopped = true;
            } else if (!stopped) {
                decoder.DecodeNode(node);
            }
            if (node != nullptr)
                Mem_Free(node, __FILE__, "ThreadRecvCmdFunc", __LINE__);
        }
        if (!stopped)
            decoder.CheckSilence();
    }
    WriteLog(KVO_LOG_ERROR, "ThreadRecvCmdFunc() Exit!");
}
