#pragma once
// The receiver transport: finding and opening the receiver, writing frames as output reports,
// reading input reports into the receive queue, and routing each outgoing frame to the link the
// remote last spoke on.

#include "IHidApi.h"
#include "KVORingQueue.h"

#include <atomic>
#include <bitset>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

constexpr uint16_t KVO_VENDOR_ID = 0x25A7;
constexpr uint16_t KVO_USAGE_PAGE = 0xFF01;

// Device types announced by a receiver's product, and carried in the status byte.
enum KVODeviceType : int {
    KVO_PRESENTER = 0,
    KVO_WIRLESS_MOUSE = 1,
    KVO_WIRED_MOUSE = 2,
};

struct KVOProductEntry {
    uint16_t productId;
    int deviceType;
    const char* logWord;
};

// In search order: the first product found wins.
constexpr int KVO_PRODUCT_COUNT = 4;
extern const KVOProductEntry g_KVOProducts[KVO_PRODUCT_COUNT];
bool KVOIsListedProduct(uint16_t productId);

constexpr int KVO_RECV_NODE_SIZE = 1024;
constexpr int KVO_SEND_BATCH = 256;
// The writer waits this long for frames; a stop node or the stop of the threads ends the wait
// sooner.
constexpr int KVO_SEND_WAIT_MS = 1000;
constexpr int KVO_SEND_MAX_FAILURES = 30;
constexpr int KVO_RETRY_SLEEP_MS = 100;
// With no receiver open the reader sleeps until one is opened, waking at least this often.
constexpr int KVO_NO_RECEIVER_WAIT_MS = 1000;

// The open receiver. The reader thread alone reads and the writer thread alone writes.
struct KVOHidDevice {
    std::unique_ptr<platform::IHidDevice> device;
    std::string path;
    int outputReportLength = 0;
    int inputReportLength = 0;
    int deviceType = KVO_PRESENTER;
    std::atomic<bool> readValid{true};
    std::atomic<bool> writeValid{true};
    // Report ids other than 0x0A already logged for this receiver; the reader's own. A mouse
    // collection on the same node sends its reports at 1000 Hz, so each id is named only once.
    std::bitset<256> otherIdsLogged;
};

// Holds the open receiver. Readers get a shared reference, so a record dropped by one thread
// stays valid for another that is still in the middle of a read or write on it.
class KVOHidDeviceSlot {
public:
    std::shared_ptr<KVOHidDevice> Get() const;
    void Set(std::shared_ptr<KVOHidDevice> device);
    // Drops the record, or only `expected` when given, so that a stale failure never drops a
    // receiver the watch has opened meanwhile.
    void Clear();
    void ClearIf(const KVOHidDevice* expected);
    bool IsOpen() const;
    // Waits until a record is set, `timeoutMs` passed or Wake is called; true when one is set.
    bool WaitOpen(int timeoutMs);
    // Ends WaitOpen and a read blocked on the open record, so the reader looks at the running
    // flag. A record that is dropped or replaced has its blocked read ended the same way.
    void Wake();

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::shared_ptr<KVOHidDevice> m_device;
    uint64_t m_wakes = 0;
};

// Null (not open) until InitHidManager finds a receiver; cleared when a read or write fails.
extern KVOHidDeviceSlot g_commandhid;

// The link running flag: every link thread loops while it is set. It reads like an atomic bool;
// clearing it also ends every WaitWhileRunning at once, so that the link's threads pace
// themselves with whole-period sleeps and still stop at once.
class KVOLinkRunningFlag {
public:
    bool load() const { return m_value.load(); }
    operator bool() const { return load(); }
    void store(bool value);
    KVOLinkRunningFlag& operator=(bool value)
    {
        store(value);
        return *this;
    }
    // Sleeps `ms` of real time (a test clock that advances when slept on would make a pacing
    // loop spin). False when the flag was cleared before or during the sleep.
    bool WaitWhileRunning(int ms);
    // The same up to a point in time, for loops that keep a fixed period without drift.
    bool WaitWhileRunningUntil(std::chrono::steady_clock::time_point until);
    // Sleeps `ms` on the process clock, ending as soon as the flag is cleared. False when it
    // was cleared before or during the sleep.
    bool SleepWhileRunning(uint32_t ms);

private:
    std::atomic<bool> m_value{false};
    std::mutex m_mutex;
    std::condition_variable m_cleared;
};
extern KVOLinkRunningFlag g_bLinkRunning;

// What the transport needs of the device manager. The presenter service's DeviceMgr is wired
// in through this so that the link does not depend on the service.
class IKVODeviceState {
public:
    virtual ~IKVODeviceState() = default;
    // 0 nothing heard yet, 1 Bluetooth LE, 2 receiver.
    virtual int GetLinkKind() = 0;
    virtual void SetDevType(int devType) = 0;
};
// Null: link kind 0 and nowhere to store the device type.
void SetKVODeviceState(IKVODeviceState* state);

// Data latency alert of the reader, off unless the tuning file switches it on.
void SetKVODataLatencyAlert(bool enabled, double thresholdMs);

// 0 when a receiver was opened into g_commandhid, -1 otherwise.
int InitHidManager();
// Lets the next failed open of a receiver's node be logged again with its reason: called when a
// receiver arrives.
void KVOForgetHidOpenFailures();
// Present interfaces of vendor 0x25A7 with a listed product (usage not checked).
int KVOCountHidReceivers();
// Whether a receiver of a listed product is present, from the system's cheapest listing (no
// enumeration of descriptors, nothing opened): the launcher's once-a-second poll, and the
// watch's check behind a tracker that may have missed an arrival.
bool KVOAnyReceiverPresent();

// Writes `length` bytes as whole output reports, zero-padding the last. Bytes written or -1.
int hid_SendCommod(KVOHidDevice* device, const uint8_t* data, int length);
// Reads one report with id 0x0A into `buffer`, blocking until one arrives; the record's
// WakeReader (see KVOHidDeviceSlot::Wake) ends the wait. 0 with the report, -1 on failure,
// stop, or when `device` is no longer the open record.
int RecvFrom(KVOHidDevice* device, uint8_t* buffer, int bufferSize, int* outLength);

// Routes one outgoing frame to the link the remote last spoke on. Always reports success (0):
// a frame that cannot go anywhere is dropped.
int kvo_sendData(const uint8_t* data, int length);

void ThreadSendCommandFunc(RingQueue* sendQueue);
void ThreadRecvCommandFunc(RingQueue* recvQueue);

// Starts the writer and the reader on the given queues; the link running flag must be set.
void StartHidThreads(RingQueue* sendQueue, RingQueue* recvQueue);
// Ends and joins both threads, waking them from whatever they wait on; the link running flag is
// left as it is. Safe to call when they do not run.
void StopHidThreads();
