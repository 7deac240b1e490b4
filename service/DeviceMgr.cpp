#include "DeviceMgr.h"

#include "DeviceConnectThread.h"
#include "KVOLog.h"
#include "ProtocolCmdDef.h"

#include <mutex>

namespace {

template <typename T>
T Read(std::shared_mutex& lock, const T& field)
{
    std::shared_lock guard(lock);
    return field;
}

template <typename T>
void Write(std::shared_mutex& lock, T& field, T value)
{
    std::unique_lock guard(lock);
    field = value;
}

} // namespace

DeviceMgr::DeviceMgr() = default;

DeviceMgr::~DeviceMgr() { StopThread(); }

int DeviceMgr::GetStatus() const { return Read(m_lock, m_status); }
void DeviceMgr::SetStatus(int status) { Write(m_lock, m_status, status); }
uint8_t DeviceMgr::GetCharging() const { return Read(m_lock, m_charging); }
void DeviceMgr::SetCharging(uint8_t charging) { Write(m_lock, m_charging, charging); }
int DeviceMgr::GetMouseMode() const { return Read(m_lock, m_mouseMode); }
void DeviceMgr::SetMouseMode(int mode) { Write(m_lock, m_mouseMode, mode); }
int DeviceMgr::GetDevType() const { return Read(m_lock, m_devType); }
void DeviceMgr::SetDevType(int devType) { Write(m_lock, m_devType, devType); }
uint8_t DeviceMgr::GetHeartBan() const { return Read(m_lock, m_heartBan); }
void DeviceMgr::SetHeartBan(uint8_t ban) { Write(m_lock, m_heartBan, ban); }
uint8_t DeviceMgr::GetLinkFlag() const { return Read(m_lock, m_linkFlag); }
void DeviceMgr::SetLinkFlag(uint8_t flag) { Write(m_lock, m_linkFlag, flag); }
int DeviceMgr::GetModelBit() const { return Read(m_lock, m_modelBit); }
void DeviceMgr::SetModelBit(int bit) { Write(m_lock, m_modelBit, bit); }
int DeviceMgr::GetLinkKind() const { return Read(m_lock, m_linkKind); }
void DeviceMgr::SetLinkKind(int kind) { Write(m_lock, m_linkKind, kind); }

void DeviceMgr::PushCmd(int cmdId, int devType)
{
    WriteLog(KVO_LOG_INFO, "DeviceMgr::PushCmd() CmdID:%d DevType:%d begin", cmdId, devType);
    if (m_stopped.load()) {
        // With no worker a full queue would block the report decoder for good.
        WriteLog(KVO_LOG_WARN, "DeviceMgr::PushCmd() CmdID:%d dropped, the worker has stopped", cmdId);
        return;
    }
    cmdInfo* cmd = m_cmdQueue.getObj();
    if (cmd == nullptr) {
        WriteLog(KVO_LOG_ERROR, "AirPlayCmdProc::PutASyncCmdToQueue return by: (cmdInfo == NULL)");
        return;
    }
    cmd->devType = devType;
    cmd->cmdId = cmdId;
    m_cmdQueue.offerObj(cmd);
    WriteLog(KVO_LOG_INFO, "DeviceMgr::PushCmd() CmdID:%d DevType:%d end", cmdId, devType);
}

void DeviceMgr::StartThread()
{
    if (m_thread)
        return;
    m_stopped = false;
    m_thread = std::make_unique<DeviceConnectThread>(this);
    m_thread->Start();
}

void DeviceMgr::StopThread()
{
    if (!m_thread)
        return;
    m_stopped = true;
    StopWorker(m_thread.get(), m_cmdQueue);
    m_thread.reset();
}

bool DeviceMgr::Run()
{
    cmdInfo* cmd = m_cmdQueue.takeObj();
    if (cmd == nullptr) {
        WriteLog(KVO_LOG_ERROR, "DeviceMgr::Run return by: (cmdInfo == NULL)");
        return true;
    }
    if (cmd->exit_tag == 1) {
        m_cmdQueue.releaseObj(cmd);
        WriteLog(KVO_LOG_ERROR, "DeviceMgr::Run return by: (1 == cmdInfo.exit_tag).");
        return false;
    }
    const int cmdId = cmd->cmdId;
    const int devType = cmd->devType;
    WriteLog(KVO_LOG_INFO, "DeviceMgr::Run, cmdId=%d devtype:%d begin", cmdId, devType);
    SetDevType(devType);
    IDeviceStatusHandler* handler = m_handler.load();
    switch (cmdId) {
    case CMD_DEVICE_CONNECTED:
        SetStatus(DEVICE_STATUS_CONNECTED);
        break;
    case CMD_CONNECT_TIMEOUT:
        if (handler != nullptr)
            handler->OnConnectTimeOut(devType);
        break;
    case CMD_SYNC_PARAMETERS:
        if (handler != nullptr)
            handler->OnSyncParameters(devType);
        break;
    default:
        WriteLog(KVO_LOG_WARN, "DeviceMgr::Run, unknown cmdId=%d ignored", cmdId);
        break;
    }
    WriteLog(KVO_LOG_INFO, "DeviceMgr::Run, cmdId=%d devtype:%d end", cmdId, devType);
    m_cmdQueue.releaseObj(cmd);
    return true;
}
