#include "KVOControler.h"

#include "IKVOBLELink.h"

#include "ControllerSet.h"
#include "KVOFrameHeader.h"
#include "KVOHidThreadManager.h"
#include "KVOLog.h"
#include "KVOCursorMotion.h"
#include "KVOCursorSpeedKeeper.h"
#include "KVODataQueueMgr.h"
#include "KVOMemPool.h"
#include "KVOOperationsManager.h"
#include "KVOPhysicalDeviceTracker.h"
#include "KVOPresenterKeyHandler.h"
#include "KVOReportDecoder.h"
#include "KVOSDKConfig.h"
#include "CPresenterService.h"
#include "Clock.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>

namespace {

std::atomic<int (*)()> g_cursorSpeed{nullptr};
std::atomic<void (*)(uint32_t)> g_postToMainWindow{nullptr};

class LinkStatusHandler final : public IDeviceStatusHandler {
public:
    void OnConnectTimeOut(int devType) override { ConnectTimeOut(devType); }
    void OnSyncParameters(int devType) override { SynchDeviceParamters(devType); }
};

// The transport's view of the device manager; follows the controller set, so it never outlives it.
class DeviceMgrLinkState final : public IKVODeviceState {
public:
    int GetLinkKind() override
    {
        DeviceMgr* deviceMgr = ExistingDeviceMgr();
        return deviceMgr != nullptr ? deviceMgr->GetLinkKind() : KVO_LINK_UNKNOWN;
    }
    void SetDevType(int devType) override
    {
        if (DeviceMgr* deviceMgr = ExistingDeviceMgr())
            deviceMgr->SetDevType(devType);
    }
};

LinkStatusHandler g_linkStatusHandler;
DeviceMgrLinkState g_linkState;

int CursorSpeed()
{
    int (*source)() = g_cursorSpeed.load();
    if (source == nullptr) {
        WriteLog(KVO_LOG_WARN, "SynchDeviceParamters() no configuration store, default speed");
        return KVO_DEFAULT_CURSOR_SPEED;
    }
    return source();
}

// Maps speed 0..80 linearly onto low..high, truncated toward zero.
int Scale(int low, int high, int speed)
{
    return static_cast<int>(low + static_cast<double>(high - low) * speed / 80.0);
}

} // namespace

void SetCursorSpeedSource(int (*source)()) { g_cursorSpeed = source; }

void SetMainWindowPoster(void (*post)(uint32_t message)) { g_postToMainWindow = post; }

void ConnectDeviceMgrToLink(DeviceMgr* deviceMgr)
{
    if (deviceMgr == nullptr) {
        SetKVODeviceState(nullptr);
        return;
    }
    deviceMgr->SetStatusHandler(&g_linkStatusHandler);
    SetKVODeviceState(&g_linkState);
}

int SensitivityValue(int devType, int modelBit, int speed)
{
    if (devType == KVO_WIRLESS_MOUSE)
        return modelBit == 1 ? Scale(16, 63, speed) : speed * 2 + 80;
    return modelBit == 1 ? Scale(15, 60, speed) : 110 - speed;
}

void ConnectTimeOut(int devType)
{
    ControllerSet* set = ControllerSet::Existing();
    if (set == nullptr || set->GetDeviceMgr().GetStatus() != DEVICE_STATUS_CONNECTED)
        return;
    DeviceMgr& deviceMgr = set->GetDeviceMgr();
    WriteLog(KVO_LOG_INFO, "ConnectTimeOut() DevType:%d begin", devType);
    deviceMgr.SetMouseMode(0);
    deviceMgr.SetStatus(DEVICE_STATUS_DISCONNECTED);
    deviceMgr.SetCharging(0);
    WriteLog(KVO_LOG_INFO, "ConnectTimeOut() DevType:%d StopFunction()", devType);
    set->GetFunctionMgr().StopFunction(1);
    WriteLog(KVO_LOG_INFO, "ConnectTimeOut() DevType:%d End", devType);
}

void SynchDeviceParamters(int devType)
{
    if (devType != KVO_PRESENTER && devType != KVO_WIRLESS_MOUSE) {
        WriteLog(KVO_LOG_ERROR, "ConnectToDevice() Error DevType:%d", devType);
        return;
    }
    if (void (*post)(uint32_t) = g_postToMainWindow.load())
        post(KVO_MSG_DEVICE_PRESENT);
    const int speed = CursorSpeed();
    WriteLog(KVO_LOG_INFO, "SynchDeviceParamters() DevType:%d speed:%d", devType, speed);
    DeviceMgr* deviceMgr = ExistingDeviceMgr();
    const int modelBit = deviceMgr != nullptr ? deviceMgr->GetModelBit() : 0;
    const int value = SensitivityValue(devType, modelBit, speed);
    if (devType == KVO_WIRLESS_MOUSE) {
        WriteLog(KVO_LOG_INFO, "SynchDeviceParamters() mouse speed:%d", value);
        SendSensitivityCmdFunc(value, modelBit == 1 ? 100 : 20);
        return;
    }
    SendTimeOutCmdFunc(KVO_CONNECTED_TIMEOUT_MS, KVO_UNCONNECTED_TIMEOUT_MS);
    SendSensitivityCmdFunc(value, 100);
    WriteLog(KVO_LOG_INFO, "SynchDeviceParamters() presenter speed:%d", value);
}

namespace {

// Everything a running link owns. Threads are joined at exit, so nothing outlives the queues.
struct RunningLink {
    std::unique_ptr<KVOPhysicalDeviceTracker> tracker;
    std::unique_ptr<KVODeviceWatch> watch;
    std::thread findDevice;
    std::thread heartbeat;
    std::thread decoder;
    std::thread motion;
};

std::mutex g_controlLock;
KVOControlerEnvironment g_environment;
KVOPresenterKeyHandler g_presenterKeys;
std::unique_ptr<RunningLink> g_link;

void JoinIfRunning(std::thread& thread)
{
    if (thread.joinable())
        thread.join();
}

// Wakes every reader of the data queues with a stop node. The log queue is left to
// CloseLogWriter, which writes the lines still queued instead of discarding them.
void PutStopNodes()
{
    for (int i = 0; i < DATA_QUEUE_COUNT; ++i) {
        if (i == KVO_LOG_QUEUE)
            continue;
        RingQueue* queue = GetDataQueue(i);
        if (queue == nullptr)
            continue;
        pMemNode stop = nullptr;
        if (Mem_Alloc(&stop, 128, __FILE__) != 0) {
            WriteLog(KVO_LOG_ERROR, "ExitKVOControler() no node for the stop of queue %d", i);
            continue;
        }
        stop->stop_tag = 1;
        stop->data_len = 0;
        pMemNode node = nullptr;
        int count = 0;
        while (DeRingQ(queue, &node, 1, &count) == 0 && count == 1) {
            if (node == nullptr)
                WriteLog(KVO_LOG_ERROR, "ExitKVOControler() pMemNodeT = Null !");
            else
                Mem_Free(node, __FILE__, __func__, __LINE__);
        }
        if (EnRingQ(queue, stop) != 0)
            Mem_Free(stop, __FILE__, __func__, __LINE__);
    }
}

void DrainMotionQueue()
{
    ObjectManager& queue = MovePosQueue();
    while (cmdInfo* record = queue.pollObj(0))
        queue.releaseObj(record);
}

// Motion still queued is stale once the program closes, so it goes first; the exit record then
// gets in even if the decoder has refilled the queue meanwhile.
void StopMotionThread(RunningLink& link)
{
    if (!link.motion.joinable())
        return;
    DrainMotionQueue();
    MovePosQueue().offerExitObj();
    link.motion.join();
}

} // namespace

void SetKVOControlerEnvironment(KVOControlerEnvironment environment)
{
    std::lock_guard guard(g_controlLock);
    g_environment = std::move(environment);
}

bool IsKVOControlerRunning()
{
    std::lock_guard guard(g_controlLock);
    return g_link != nullptr;
}

void InitKVOControler()
{
    std::lock_guard guard(g_controlLock);
    if (g_link) {
        WriteLog(KVO_LOG_WARN, "InitKVOControler() the link already runs");
        return;
    }
    // Every later step needs the pool and the queues: without them the link stays down.
    if (Mem_CreatePool() != 0) {
        std::fprintf(stderr, "Orvelle: InitKVOControler() the memory pool cannot be created\n");
        return;
    }
    if (CreateDataQueueMgr() != 0) {
        std::fprintf(stderr, "Orvelle: InitKVOControler() the data queues cannot be created\n");
        Mem_DestroyPool();
        return;
    }
    ControllerSet& set = ControllerSet::Instance();
    set.StartWorkers();
    CPresenterService::GetInstance().SetManagers(&set.GetFunctionMgr(), &set.GetDeviceMgr());
    ConnectDeviceMgrToLink(&set.GetDeviceMgr());
    SetKVOKeyHandler(g_environment.keyHandler != nullptr ? g_environment.keyHandler : &g_presenterKeys);
    PresenterEnvironment& service = CPresenterService::GetInstance().Environment();
    service.SetHeartSender(&SendHeartCommand);

    g_bLinkRunning = true;
    RingQueue* sendQueue = GetDataQueue(KVO_SEND_QUEUE);
    RingQueue* recvQueue = GetDataQueue(KVO_RECV_QUEUE);
    if (g_environment.logSink != nullptr)
        StartLogWriter(g_environment.logSink);
    g_environment.pause ? g_environment.pause(KVO_INIT_SETTLE_MS) : platform::Sleep(KVO_INIT_SETTLE_MS);

    auto link = std::make_unique<RunningLink>();
    ApplySDKConfigDiagnostics(KVOSDKConfig::GetInstance());
    KVOCursorSpeedKeeper::SetScreens(g_environment.screens);
    KVOCursorSpeedKeeper& speedKeeper = KVOCursorSpeedKeeper::GetInstance();
    speedKeeper.CheckScreenSize();
    speedKeeper.StartWatcher();
    service.SetSpeedScale(&speedKeeper);
    platform::IHidApi& api = platform::HidApi();
    link->tracker = std::make_unique<KVOPhysicalDeviceTracker>(api, platform::CreateHidMonitor(api, KVO_VENDOR_ID),
                                                               g_environment.bleLink);
    SetKVOPhysicalDeviceTracker(link->tracker.get());
    link->tracker->Start();

    link->watch = std::make_unique<KVODeviceWatch>(g_environment.screens, g_environment.watch);
    link->findDevice = std::thread(ThreadFindDevice, link->watch.get());
    InitHidManager();
    if (g_environment.reloadFunctionSelection)
        g_environment.reloadFunctionSelection();
    platform::Sleep(100);
    WriteLog(KVO_LOG_INFO, "InitKVOControler() call InitHidManager() begin");

    // The remote's Bluetooth LE reports take the same road as the receiver's.
    if (g_environment.bleLink != nullptr)
        g_environment.bleLink->SetRecvQueue(recvQueue);
    StartHidThreads(sendQueue, recvQueue);
    link->heartbeat = std::thread(ThreadSendCmdFunc, sendQueue);
    link->decoder = std::thread(ThreadRecvCmdFunc, recvQueue);
    link->motion = std::thread(ThreadMoveThread);
    g_link = std::move(link);
    WriteLog(KVO_LOG_INFO, "InitKVOControler() call InitHidManager() End");
}

void StopKVOControlerConsumers()
{
    std::lock_guard guard(g_controlLock);
    if (g_link)
        StopMotionThread(*g_link);
    if (ControllerSet* set = ControllerSet::Existing())
        set->StopWorkers();
}

void ExitKVOControler()
{
    // Once the remote has been told to leave its on-screen mode, nothing may ask for another:
    // the key handling and the managers' workers end first (their queued frames go out before
    // the exit heartbeat), and the periodic heartbeat, which repeats the device manager's mode,
    // repeats 0 from here on.
    StopKVOControlerConsumers();
    if (DeviceMgr* deviceMgr = ExistingDeviceMgr()) {
        deviceMgr->SetMouseMode(0);
        deviceMgr->SetHeartBan(0);
    }
    // The remote leaves the on-screen mode even when the link is already down.
    SendHeartCommand(0, 0);
    platform::Sleep(KVO_EXIT_HEARTBEAT_MS);

    std::lock_guard guard(g_controlLock);
    if (!g_link)
        return;
    std::unique_ptr<RunningLink> link = std::move(g_link);
    g_bLinkRunning = false;
    WriteLog(KVO_LOG_INFO, "ExitKVOControler() Statr");
    PutStopNodes();
    WakeFindDevice();
    g_commandhid.Wake();

    // Joined before anything they use goes away, so no fixed sleeps are needed.
    StopHidThreads();
    JoinIfRunning(link->heartbeat);
    JoinIfRunning(link->decoder);
    StopMotionThread(*link);
    JoinIfRunning(link->findDevice);
    DrainMotionQueue();
    g_commandhid.Clear();

    if (link->tracker) {
        link->tracker->StopBLELink();
        link->tracker->StopMonitor();
    }
    SetKVOPhysicalDeviceTracker(nullptr);
    link.reset();
    // The keeper stays (the presenter service may hold it); only its watcher ends with the link.
    KVOCursorSpeedKeeper::GetInstance().StopWatcher();

    CloseLogWriter();
    DestroyDataQueueMgr();
    Mem_DestroyPool();
}
