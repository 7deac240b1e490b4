#include "KVOHidThreadManager.h"

#include "Clock.h"
#include "KVOFrameHeader.h"
#include "KVOLog.h"
#include "KVOMemPool.h"
#include "KVOPhysicalDeviceTracker.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <set>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

const KVOProductEntry g_KVOProducts[KVO_PRODUCT_COUNT] = {
    {0x0178, KVO_PRESENTER, "InitHidManager Successful Presenter"},
    {0x0180, KVO_WIRLESS_MOUSE, "InitHidManager Successful Wirless Mouse"},
    {0x0181, KVO_WIRED_MOUSE, "InitHidManager Successful Wired Mouse"},
    {0x0186, KVO_PRESENTER, "InitHidManager Successful Presenter"},
};

KVOHidDeviceSlot g_commandhid;
KVOLinkRunningFlag g_bLinkRunning;

void KVOLinkRunningFlag::store(bool value)
{
    {
        std::lock_guard lock(m_mutex);
        m_value.store(value);
    }
    if (!value)
        m_cleared.notify_all();
}

bool KVOLinkRunningFlag::WaitWhileRunning(int ms)
{
    return WaitWhileRunningUntil(std::chrono::steady_clock::now() + std::chrono::milliseconds(ms));
}

bool KVOLinkRunningFlag::WaitWhileRunningUntil(std::chrono::steady_clock::time_point until)
{
    std::unique_lock lock(m_mutex);
    return !m_cleared.wait_until(lock, until, [this] { return !m_value.load(); });
}

bool KVOLinkRunningFlag::SleepWhileRunning(uint32_t ms)
{
    std::unique_lock lock(m_mutex);
    return !platform::Clock().SleepMsUnless(m_cleared, lock, ms, [this] { return !m_value.load(); });
}

namespace {

std::atomic<IKVODeviceState*> g_deviceState{nullptr};
std::atomic<bool> g_latencyAlert{false};
std::atomic<double> g_latencyThresholdMs{500.0};

std::atomic<bool> g_hidThreadsStop{false};
std::thread g_sendThread;
std::thread g_recvThread;
RingQueue* g_sendQueue = nullptr;
RingQueue* g_recvQueue = nullptr;

bool Running() { return g_bLinkRunning && !g_hidThreadsStop; }

// Nodes of a present receiver that could not be opened, with the reason that was logged: a
// node that stays unopenable (no permission, most often) is named once when it arrives, and
// then retried quietly every period until it opens or leaves.
std::mutex g_openFailureLock;
std::map<std::string, int> g_reportedOpenFailures;
// Under g_openFailureLock: a run of failed searches is going on (its error was said), and a node
// failed anew since the error was last said. The UI thread and the watch search at once at
// start; deciding under the lock keeps them from both saying the same failure.
bool g_bInitFailing = false;
bool g_bFailureUnsaid = false;

// Logs why `path` could not be opened, unless that was said already.
void ReportOpenFailure(const std::string& path, int error)
{
    {
        std::lock_guard lock(g_openFailureLock);
        const auto known = g_reportedOpenFailures.find(path);
        if (known != g_reportedOpenFailures.end() && known->second == error)
            return;
        g_reportedOpenFailures[path] = error;
        g_bFailureUnsaid = true;
    }
    WriteLog(KVO_LOG_ERROR, "HID device %s cannot be opened: %s", path.c_str(),
             std::generic_category().message(error).c_str());
    // The one failure a user can mend: the node is not theirs to open until the receiver's udev
    // rule is installed.
    if (error == EACCES || error == EPERM)
        ShowKVOAccessNotice();
}

// Forgets the failures of nodes no longer listed, so that a receiver plugged in again is named
// again.
void ForgetOpenFailuresExcept(const std::set<std::string>& listed)
{
    std::lock_guard lock(g_openFailureLock);
    std::erase_if(g_reportedOpenFailures, [&](const auto& entry) { return !listed.count(entry.first); });
}

// Ends a read blocked on a record that is no longer the open one.
void WakeReaderOf(const std::shared_ptr<KVOHidDevice>& dropped, const KVOHidDevice* current)
{
    if (dropped && dropped.get() != current && dropped->device)
        dropped->device->WakeReader();
}

// Opens the first node of `productId` whose vendor collection declares the link's report and
// that opens; null when none does. Adds every such node to `listed`.
std::shared_ptr<KVOHidDevice> OpenProduct(platform::IHidApi& api, uint16_t productId, std::set<std::string>& listed)
{
    // One entry per collection and path: the vendor collection may be any entry of a path.
    std::vector<std::string> candidates;
    for (const platform::HidInterfaceInfo& info : api.Enumerate(KVO_VENDOR_ID)) {
        if (info.vendorId != KVO_VENDOR_ID || info.productId != productId)
            continue;
        // The link speaks report 0x0A of the vendor collection; its usage within the page says
        // nothing more, and a collection declared without one is reported as usage 0. Reports
        // are unknown only where the node's descriptor could not be read.
        if (info.usagePage != KVO_USAGE_PAGE)
            continue;
        if (!info.reportIds.empty() &&
            std::find(info.reportIds.begin(), info.reportIds.end(), KVO_REPORT_ID) == info.reportIds.end())
            continue;
        if (std::find(candidates.begin(), candidates.end(), info.path) == candidates.end())
            candidates.push_back(info.path);
    }
    // A receiver may declare the collection on more than one node, and one of them may be held
    // or refused: each is tried in listing order.
    listed.insert(candidates.begin(), candidates.end());
    for (const std::string& path : candidates) {
        int error = 0;
        std::unique_ptr<platform::IHidDevice> device = api.Open(path, &error);
        if (!device) {
            ReportOpenFailure(path, error != 0 ? error : EIO);
            continue;
        }
        auto record = std::make_shared<KVOHidDevice>();
        record->outputReportLength = static_cast<int>(device->OutputReportLength());
        record->inputReportLength = static_cast<int>(device->InputReportLength());
        record->path = path;
        record->device = std::move(device);
        return record;
    }
    return nullptr;
}

} // namespace

std::shared_ptr<KVOHidDevice> KVOHidDeviceSlot::Get() const
{
    std::lock_guard lock(m_mutex);
    return m_device;
}

void KVOHidDeviceSlot::Set(std::shared_ptr<KVOHidDevice> device)
{
    std::shared_ptr<KVOHidDevice> previous;
    const KVOHidDevice* current = device.get();
    {
        std::lock_guard lock(m_mutex);
        previous = std::exchange(m_device, std::move(device));
    }
    m_changed.notify_all();
    WakeReaderOf(previous, current);
}

void KVOHidDeviceSlot::Clear() { Set(nullptr); }

void KVOHidDeviceSlot::ClearIf(const KVOHidDevice* expected)
{
    std::shared_ptr<KVOHidDevice> dropped;
    {
        std::lock_guard lock(m_mutex);
        if (m_device.get() == expected)
            dropped = std::move(m_device);
    }
    WakeReaderOf(dropped, nullptr);
}

bool KVOHidDeviceSlot::IsOpen() const
{
    std::lock_guard lock(m_mutex);
    return m_device != nullptr;
}

bool KVOHidDeviceSlot::WaitOpen(int timeoutMs)
{
    std::unique_lock lock(m_mutex);
    const uint64_t wakes = m_wakes;
    // A stop raised before the count was taken would be missed by the count alone; the stop
    // flags are set before every stop's wake, so they are seen here under the same lock.
    m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                       [&] { return m_device || m_wakes != wakes || !Running(); });
    return m_device != nullptr;
}

void KVOHidDeviceSlot::Wake()
{
    std::shared_ptr<KVOHidDevice> current;
    {
        std::lock_guard lock(m_mutex);
        ++m_wakes;
        current = m_device;
    }
    m_changed.notify_all();
    if (current && current->device)
        current->device->WakeReader();
}

void KVOForgetHidOpenFailures()
{
    ForgetOpenFailuresExcept({});
    std::lock_guard lock(g_openFailureLock);
    g_bInitFailing = false;
    g_bFailureUnsaid = false;
}

void SetKVODeviceState(IKVODeviceState* state) { g_deviceState.store(state); }

void SetKVODataLatencyAlert(bool enabled, double thresholdMs)
{
    g_latencyThresholdMs = thresholdMs;
    g_latencyAlert = enabled;
}

bool KVOIsListedProduct(uint16_t productId)
{
    return std::any_of(std::begin(g_KVOProducts), std::end(g_KVOProducts),
                       [&](const KVOProductEntry& e) { return e.productId == productId; });
}

int InitHidManager()
{
    platform::IHidApi& api = platform::HidApi();
    std::set<std::string> listed;
    for (const KVOProductEntry& entry : g_KVOProducts) {
        std::shared_ptr<KVOHidDevice> record = OpenProduct(api, entry.productId, listed);
        if (!record)
            continue;
        KVOForgetHidOpenFailures();
        record->deviceType = entry.deviceType;
        g_commandhid.Set(std::move(record));
        if (IKVODeviceState* state = g_deviceState.load())
            state->SetDevType(entry.deviceType);
        WriteLog(KVO_LOG_INFO, "%s", entry.logWord);
        return 0;
    }
    ForgetOpenFailuresExcept(listed);
    // Said once per run of failures, and again when a node fails anew; the retries in between
    // are quiet.
    bool say = false;
    {
        std::lock_guard lock(g_openFailureLock);
        say = !g_bInitFailing || g_bFailureUnsaid;
        g_bInitFailing = true;
        g_bFailureUnsaid = false;
    }
    if (say)
        WriteLog(KVO_LOG_ERROR, "InitHidManager() Error");
    return -1;
}

int KVOCountHidReceivers()
{
    std::set<std::string> paths;
    for (const platform::HidInterfaceInfo& info : platform::HidApi().Enumerate(KVO_VENDOR_ID)) {
        if (info.vendorId == KVO_VENDOR_ID && KVOIsListedProduct(info.productId))
            paths.insert(info.path);
    }
    return static_cast<int>(paths.size());
}

bool KVOAnyReceiverPresent()
{
    static const std::vector<uint16_t> products = [] {
        std::vector<uint16_t> list;
        for (const KVOProductEntry& entry : g_KVOProducts)
            list.push_back(entry.productId);
        return list;
    }();
    return platform::HidApi().AnyPresent(KVO_VENDOR_ID, products);
}

int hid_SendCommod(KVOHidDevice* device, const uint8_t* data, int length)
{
    if (!device || !device->device || !device->writeValid || device->outputReportLength <= 0 || !data || length < 0)
        return -1;
    const int reportLength = device->outputReportLength;
    // Each write carries one whole report; the tail of the last one is zeros. Copying the chunk
    // keeps the write inside the caller's bytes whatever their buffer size.
    std::vector<uint8_t> report(static_cast<size_t>(reportLength));
    int offset = 0;
    int failures = 0;
    while (offset < length) {
        const int chunk = std::min(length - offset, reportLength);
        std::fill(report.begin(), report.end(), 0);
        std::memcpy(report.data(), data + offset, static_cast<size_t>(chunk));
        const int written = device->device->WriteReport(report.data(), report.size());
        if (written > 0) {
            offset += chunk;
            continue;
        }
        ++failures;
        // A write may have blocked for long already: once the link stops (its flag is cleared
        // before the threads are stopped and joined), no retry is waited for.
        if (!g_bLinkRunning.SleepWhileRunning(KVO_RETRY_SLEEP_MS))
            return -1;
        if (failures > KVO_SEND_MAX_FAILURES) {
            const int lastError = device->device->LastError();
            WriteLog(KVO_LOG_ERROR, "HID Send iTimeCount =  %d,LastError=%d", failures, lastError);
            if (written < 0) {
                // The device refuses writes: drop it so that the watch opens the receiver again.
                device->writeValid = false;
                g_commandhid.ClearIf(device);
                WriteLog(KVO_LOG_ERROR, "hid_SendCommod() write refused, receiver released: iTimeCount = %d,LastError=%d",
                         failures, lastError);
            }
            return -1;
        }
    }
    return length;
}

int RecvFrom(KVOHidDevice* device, uint8_t* buffer, int bufferSize, int* outLength)
{
    while (Running()) {
        if (!device || !device->device || !device->readValid) {
            WriteLog(KVO_LOG_ERROR, "RecvFrom INVALID_HANDLE_VALUE Error");
            platform::Sleep(KVO_RETRY_SLEEP_MS);
            return -1;
        }
        const int capacity = std::min(bufferSize, std::max(device->inputReportLength, 1));
        // No time limit: the read ends with a report, a failure, or a wake when the link stops
        // or the record is dropped.
        const int n = device->device->ReadReport(buffer, static_cast<size_t>(capacity), -1);
        if (n == 0) {
            // Woken. A record that was dropped or replaced meanwhile is left to its owner; the
            // caller picks up the current one.
            if (g_commandhid.Get().get() != device)
                return -1;
            continue;
        }
        if (n < 0) {
            platform::Sleep(KVO_RETRY_SLEEP_MS);
            WriteLog(KVO_LOG_ERROR, "RecvFrom() Call GetOverlappedResult()--HID ReadCmdOverlapped Length = 0;");
            device->readValid = false;
            return -1;
        }
        if (buffer[0] == KVO_REPORT_ID) {
            *outLength = n;
            return 0;
        }
        // Another collection's report: dropped here, before any node, queue or log line.
        if (!device->otherIdsLogged.test(buffer[0])) {
            device->otherIdsLogged.set(buffer[0]);
            WriteLog(KVO_LOG_DEBUG, "byReport_ID = %d", buffer[0]);
        }
    }
    return -1;
}

int kvo_sendData(const uint8_t* data, int length)
{
    IKVODeviceState* state = g_deviceState.load();
    const int linkKind = state ? state->GetLinkKind() : 0;
    KVOPhysicalDeviceTracker* tracker = GetKVOPhysicalDeviceTracker();
    if (linkKind == 1) {
        IKVOBLELink* ble = tracker ? tracker->BLELink() : nullptr;
        if (ble && ble->IsReady())
            ble->SendData(data, length);
    } else if (linkKind == 2) {
        if (tracker && tracker->PhysicalDeviceCount() >= 1) {
            const std::shared_ptr<KVOHidDevice> device = g_commandhid.Get();
            const int result = hid_SendCommod(device.get(), data, length);
            if (result == -1)
                WriteLog(KVO_LOG_ERROR, "kvo_sendData() Call hid_SendCommod() Error,irstCode =%d!", result);
        }
    }
    return 0;
}

void ThreadSendCommandFunc(RingQueue* sendQueue)
{
    if (!sendQueue) {
        WriteLog(KVO_LOG_ERROR, "ThreadSendCommandFunc() pSendQ = Null !");
        return;
    }
    pMemNode batch[KVO_SEND_BATCH];
    while (Running()) {
        int count = 0;
        DeRingQTimedWhile(sendQueue, batch, KVO_SEND_BATCH, &count, KVO_SEND_WAIT_MS, Running);
        for (int i = 0; i < count; ++i) {
            pMemNode node = batch[i];
            if (!node) {
                WriteLog(KVO_LOG_ERROR, "ThreadSendCommandFunc() pMemNode = Null !");
                platform::Sleep(KVO_RETRY_SLEEP_MS);
                continue;
            }
            if (node->stop_tag == 1) {
                WriteLog(KVO_LOG_ERROR, "ThreadSendCommandFunc() pMemNode->stop_tag = 1!");
                // The frames behind the stop node go back to the pool unsent.
                for (int j = i; j < count; ++j) {
                    if (batch[j])
                        Mem_Free(batch[j], __FILE__, __func__, __LINE__);
                }
                return;
            }
            const KVOFrameHeader header = ReadFrameHeader(node);
            const int room = node->size - KVO_FRAME_HEADER_SIZE;
            if (header.length < 0 || header.length > room)
                WriteLog(KVO_LOG_ERROR, "ThreadSendCommandFunc() frame length %d out of range, dropped", header.length);
            else
                kvo_sendData(FrameReport(node), header.length);
            const int freeCode = Mem_Free(node, __FILE__, __func__, __LINE__);
            if (freeCode != 0) {
                WriteLog(KVO_LOG_ERROR, "ThreadSendCommandFunc() Call Mem_Free()  Error,irstCode = %d!", freeCode);
                for (int j = i + 1; j < count; ++j) {
                    if (batch[j])
                        Mem_Free(batch[j], __FILE__, __func__, __LINE__);
                }
                return;
            }
        }
    }
}

void ThreadRecvCommandFunc(RingQueue* recvQueue)
{
    double previousReportMs = -1.0;
    while (Running()) {
        pMemNode node = nullptr;
        const int allocCode = Mem_Alloc(&node, KVO_RECV_NODE_SIZE, __FILE__);
        if (allocCode != 0 || !node) {
            WriteLog(KVO_LOG_ERROR, "ThreadRecvCommandFunc() Call  Mem_Alloc() Error,irstCode = %d!", allocCode);
            platform::Sleep(KVO_RETRY_SLEEP_MS);
            continue;
        }
        std::memset(node->data, 0, KVO_RECV_NODE_SIZE);

        const std::shared_ptr<KVOHidDevice> device = g_commandhid.Get();
        if (!device) {
            // No receiver open: wait for the watch to open one instead of spinning.
            Mem_Free(node, __FILE__, __func__, __LINE__);
            g_commandhid.WaitOpen(KVO_NO_RECEIVER_WAIT_MS);
            continue;
        }
        int length = 0;
        if (RecvFrom(device.get(), FrameReport(node), KVO_RECV_NODE_SIZE - KVO_FRAME_HEADER_SIZE, &length) != 0) {
            Mem_Free(node, __FILE__, __func__, __LINE__);
            if (!device->readValid)
                g_commandhid.ClearIf(device.get());
            platform::Sleep(5);
            continue;
        }

        const double nowMs = platform::HighResMs();
        if (g_latencyAlert) {
            if (previousReportMs >= 0.0 && nowMs - previousReportMs > g_latencyThresholdMs)
                WriteLog(KVO_LOG_ERROR, "[Performance][Warning] Data latency alert: %.4fms", nowMs - previousReportMs);
            previousReportMs = nowMs;
        }

        KVOFrameHeader header;
        header.source = KVO_LINK_HID;
        header.recvTime = static_cast<int32_t>(static_cast<int64_t>(nowMs));
        WriteFrameHeader(node, header);
        node->data_len = KVO_FRAME_HEADER_SIZE + length;

        if (FrameReport(node)[0] != KVO_REPORT_ID) {
            WriteLog(KVO_LOG_ERROR, "ThreadRecvCommandFunc CMD Recv NO VarnidData");
            Mem_Free(node, __FILE__, __func__, __LINE__);
            continue;
        }
        // Wait for room like EnRingQWait, but give the node back if the link stops meanwhile,
        // so that the thread can always be joined.
        if (EnRingQWaitWhile(recvQueue, node, Running) != 0)
            Mem_Free(node, __FILE__, __func__, __LINE__);
    }
}

void StartHidThreads(RingQueue* sendQueue, RingQueue* recvQueue)
{
    StopHidThreads();
    g_hidThreadsStop = false;
    g_sendQueue = sendQueue;
    g_recvQueue = recvQueue;
    g_sendThread = std::thread(ThreadSendCommandFunc, sendQueue);
    g_recvThread = std::thread(ThreadRecvCommandFunc, recvQueue);
}

void StopHidThreads()
{
    g_hidThreadsStop = true;
    // A wake with no reader would be left pending on the device and end its next read early.
    if (!g_sendThread.joinable() && !g_recvThread.joinable())
        return;
    g_commandhid.Wake();
    if (g_sendThread.joinable()) {
        if (g_sendQueue)
            RingQWake(g_sendQueue);
        g_sendThread.join();
    }
    if (g_recvThread.joinable()) {
        if (g_recvQueue)
            RingQWake(g_recvQueue);
        g_recvThread.join();
    }
    g_sendQueue = nullptr;
    g_recvQueue = nullptr;
}
