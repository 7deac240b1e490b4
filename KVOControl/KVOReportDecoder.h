#pragma once
// Turns the remote's input reports into connection state and motion records. One decoder runs on
// the link's receive thread; it arbitrates between the receiver and Bluetooth LE, tells the
// device manager when the remote appears, changes type or goes silent, and hands key-and-motion
// reports to the cursor-motion thread through the motion queue.

#include "KVOMemNode.h"

#include <atomic>
#include <cstdint>

class DeviceMgr;
class ObjectManager;
struct RingQueue;

// Set by the entry point once the main window exists; reports are dropped until then.
extern std::atomic<bool> g_bIsInitComplete;
// Set for one watch period after the display layout changed; reports are dropped meanwhile.
extern std::atomic<bool> g_bIsReboot;
// Never set; shown in the decoder's drop line.
extern std::atomic<bool> g_bIsMultiDevice;

constexpr int KVO_MOVEPOS_CAPACITY = 100;
constexpr int KVO_REPORT_BYTES = 16;  // the part of a report that carries data
constexpr uint32_t KVO_SILENCE_TIMEOUT_MS = 5000;
constexpr uint32_t KVO_LINK_SWITCH_MS = 501;  // quiet time before the other link may take over
constexpr int KVO_RECV_BATCH = 256;
constexpr int KVO_RECV_WAIT_MS = 1000;

enum KVOStatusBits : uint8_t {
    KVO_STATUS_ONLINE = 0x01,
    KVO_STATUS_PRESENTER = 0x02,
    KVO_STATUS_WIRELESS_MOUSE = 0x04,
    KVO_STATUS_MODEL = 0x80,
};

// Report byte offsets.
enum KVOReportOffset : int {
    KVO_REPORT_STATUS = 1,
    KVO_REPORT_KEY = 4,
    KVO_REPORT_DX = 6,
    KVO_REPORT_DY = 7,
    KVO_REPORT_BUTTON = 8,
};

// The motion queue read by the cursor-motion thread.
ObjectManager& MovePosQueue();

class KVOReportDecoder {
public:
    explicit KVOReportDecoder(ObjectManager& movePosQueue);

    // Decodes one node of the receive queue. The caller frees the node.
    void DecodeNode(const MemNode* node);
    // Decodes report bytes as they came from the link `source` (a KVOLinkKind).
    void DecodeReport(const uint8_t* report, int length, int source);
    // Pushes one time-out when a connected remote has been silent too long.
    void CheckSilence();

    int DeviceType() const { return m_devType; }

private:
    bool Arbitrate(DeviceMgr& deviceMgr, int linkKind, int modelBit, bool active, uint32_t now);
    void OfferMotion(const uint8_t* report);

    ObjectManager& m_movePos;
    uint32_t m_lastAliveTime;
    uint32_t m_lastActivityTime = 0;
    int m_devType = -1;
    int m_lastSyncType = -1;
};

// Logs how long reports waited between the HID reader and the decoder (a diagnostics setting).
void SetReceiveLatencyLogging(bool enabled);

// The receive thread: decodes batches from `recvQueue` while the link running flag is set; a
// node with stop_tag 1 ends it.
void ThreadRecvCmdFunc(RingQueue* recvQueue);
