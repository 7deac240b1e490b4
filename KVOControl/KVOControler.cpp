#include "KVOControler.h"

#include "ControllerSet.h"
#include "KVOFrameHeader.h"
#include "KVOHidThreadManager.h"
#include "KVOLog.h"
#include "KVOOperationsManager.h"

#include <atomic>

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
