#include "FunctionMgr.h"

#include "DeviceMgr.h"
#include "KVOLog.h"
#include "PlayOrStopThread.h"
#include "ProtocolCmdDef.h"
#include "RunCmdProcThread.h"

FunctionMgr::FunctionMgr(EffectSet effects, EffectRect screen, EffectPoint cursor)
    : m_LastCursorPos(cursor),
      m_effects(std::move(effects)),
      m_playOrStopQueue(MANAGER_QUEUE_CAPACITY),
      m_cmdQueue(MANAGER_QUEUE_CAPACITY),
      m_screenRect(screen)
{
    StartThreads();
    CenterVirtualPoint();
}

FunctionMgr::~FunctionMgr()
{
    // The workers may still be inside an effect; end them before the effects go.
    StopThreads();
}

void FunctionMgr::StartThreads()
{
    m_stopped = false;
    if (!m_playOrStopThread) {
        m_playOrStopThread = std::make_unique<PlayOrStopThread>(this);
        m_playOrStopThread->Start();
    }
    if (!m_cmdThread) {
        m_cmdThread = std::make_unique<RunCmdProcThread>(this);
        m_cmdThread->Start();
    }
}

void FunctionMgr::StopThreads()
{
    m_stopped = true;
    StopWorker(m_playOrStopThread.get(), m_playOrStopQueue);
    m_playOrStopThread.reset();
    StopWorker(m_cmdThread.get(), m_cmdQueue);
    m_cmdThread.reset();
}

void FunctionMgr::CreateEffects()
{
    for (EffectSlot slot : {EFFECT_ANNOTATION, EFFECT_MAGNIFIER, EFFECT_SPOTLIGHT, EFFECT_LASER, EFFECT_SCREENSHOT}) {
        if (m_effects[slot])
            m_effects[slot]->Create();
    }
}

IPresenterFunction* FunctionMgr::Effect(int functionId) const
{
    if (functionId < FUNCTION_SPOTLIGHT || functionId > FUNCTION_SCREENSHOT)
        return nullptr;
    return m_effects[static_cast<size_t>(functionId - FUNCTION_SPOTLIGHT)].get();
}

bool FunctionMgr::IsScreenShotSaving() const
{
    const auto& bridge = m_effects[EFFECT_SCREENSHOT];
    return bridge && bridge->IsScreenShotSaving();
}

void FunctionMgr::StopFunction(int restoreFirst)
{
    WriteLog(KVO_LOG_INFO, "FunctionMgr::StopFunction() Stop");
    auto command = std::make_unique<FunctionCommand>();
    command->hideBlankScreen = 1;
    command->restoreFirst = restoreFirst;
    DeviceMgr* deviceMgr = m_pDeviceMgr.load();
    const int devType = deviceMgr != nullptr ? deviceMgr->GetDevType() : 0;
    PushPlayOrStopCmd(CMD_STOP_FUNCTION, devType, std::move(command));
}

void FunctionMgr::PushPlayOrStopCmd(int cmdId, int devType, std::unique_ptr<FunctionCommand> payload)
{
    if (m_stopped.load()) {
        // With no worker a full queue would block the producer (the motion thread) for good.
        WriteLog(KVO_LOG_WARN, "FunctionMgr::PushPlayOrStopCmd() cmdId=%d dropped, the worker has stopped", cmdId);
        return;
    }
    cmdInfo* cmd = m_playOrStopQueue.getObj();
    if (cmd == nullptr) {
        WriteLog(KVO_LOG_ERROR, "CPresenterService::PushPlayOrStopCmd return by: (cmdInfo == NULL)");
        return;
    }
    cmd->devType = devType;
    cmd->cmdId = cmdId;
    cmd->obj = std::move(payload);
    m_playOrStopQueue.offerObj(cmd);
}

void FunctionMgr::PushCmd(int devType, int cmdId, std::unique_ptr<FunctionCommand> payload)
{
    if (m_stopped.load()) {
        WriteLog(KVO_LOG_WARN, "FunctionMgr::PushCmd() cmdId=%d dropped, the worker has stopped", cmdId);
        return;
    }
    cmdInfo* cmd = m_cmdQueue.getObj();
    if (cmd == nullptr) {
        WriteLog(KVO_LOG_ERROR, "CPresenterService::PushCmd return by: (cmdInfo == NULL)");
        return;
    }
    cmd->devType = devType;
    cmd->cmdId = cmdId;
    cmd->obj = std::move(payload);
    m_cmdQueue.offerObj(cmd);
}

bool FunctionMgr::RunPlayOrStopProc()
{
    cmdInfo* cmd = m_playOrStopQueue.takeObj();
    if (cmd == nullptr) {
        WriteLog(KVO_LOG_ERROR, "FunctionMgr::RunPlayOrStopProc() return by: (cmdInfo == NULL)");
        return true;
    }
    if (cmd->exit_tag == 1) {
        m_playOrStopQueue.releaseObj(cmd);
        WriteLog(KVO_LOG_ERROR, "FunctionMgr::RunPlayOrStopProc() return by: (1 == cmdInfo.exit_tag).");
        return false;
    }
    if (!cmd->obj) {
        WriteLog(KVO_LOG_ERROR, "FunctionMgr::RunPlayOrStopProc() return by: (cmdInfo->obj == NULL)");
        m_playOrStopQueue.releaseObj(cmd);
        return true;
    }
    const int cmdId = cmd->cmdId;
    WriteLog(KVO_LOG_INFO, "FunctionMgr::RunPlayOrStopProc(), cmdId=%d devType=%d begin", cmdId, cmd->devType);
    if (IsScreenShotSaving()) {
        // Dropped, not deferred: a key pressed while a capture is written means nothing later.
        cmd->obj.reset();
        WriteLog(KVO_LOG_INFO, "FunctionMgr::RunPlayOrStopProc() IsScreenShotSaving");
        m_playOrStopQueue.releaseObj(cmd);
        return true;
    }
    switch (cmdId) {
    case CMD_KEY_MSM:
    case CMD_PLAY_FUNCTION:
    case CMD_STOP_FUNCTION:
        if (IFunctionCommandRunner* runner = m_runner.load())
            runner->RunPlayOrStop(cmdId, cmd->devType, *cmd->obj);
        else
            WriteLog(KVO_LOG_WARN, "FunctionMgr::RunPlayOrStopProc(), cmdId=%d no runner", cmdId);
        break;
    default:
        WriteLog(KVO_LOG_WARN, "FunctionMgr::RunPlayOrStopProc(), unknown cmdId=%d ignored", cmdId);
        break;
    }
    cmd->obj.reset();
    WriteLog(KVO_LOG_INFO, "FunctionMgr::RunPlayOrStopProc(), cmdId=%d end", cmdId);
    m_playOrStopQueue.releaseObj(cmd);
    return true;
}

bool FunctionMgr::RunCmdProc()
{
    cmdInfo* cmd = m_cmdQueue.takeObj();
    if (cmd == nullptr) {
        WriteLog(KVO_LOG_ERROR, "CPresenterService::RunCmdProc return by: (cmdInfo == NULL)");
        return true;
    }
    if (cmd->exit_tag == 1) {
        m_cmdQueue.releaseObj(cmd);
        WriteLog(KVO_LOG_ERROR, "CPresenterService::RunCmdProc return by: (1 == cmdInfo.exit_tag).");
        return false;
    }
    const int cmdId = cmd->cmdId;
    if (IsScreenShotSaving()) {
        cmd->obj.reset();
        WriteLog(KVO_LOG_INFO, "CPresenterService::RunCmdProc, IsScreenShotSaving");
    } else {
        WriteLog(KVO_LOG_INFO, "CPresenterService::RunCmdProc, cmdId=%d devType=%d begin", cmdId, cmd->devType);
        if (cmdId == CMD_MIRROR_SCREEN || cmdId == CMD_SLIDESHOW) {
            if (IFunctionCommandRunner* runner = m_runner.load())
                runner->RunServiceCommand(cmdId, cmd->devType);
            else
                WriteLog(KVO_LOG_WARN, "CPresenterService::RunCmdProc, cmdId=%d no runner", cmdId);
        } else {
            WriteLog(KVO_LOG_WARN, "CPresenterService::RunCmdProc, unknown cmdId=%d ignored", cmdId);
        }
        cmd->obj.reset();
        WriteLog(KVO_LOG_INFO, "CPresenterService::RunCmdProc, cmdId=%d end", cmdId);
    }
    m_cmdQueue.releaseObj(cmd);
    return true;
}

int FunctionMgr::GetCurrentFunction() const
{
    std::shared_lock lock(m_functionLock);
    return m_currentFunction;
}

void FunctionMgr::SetCurrentFunction(int functionId)
{
    std::unique_lock lock(m_functionLock);
    m_currentFunction = functionId;
}

int FunctionMgr::GetFunctionState() const
{
    std::lock_guard lock(m_stateLock);
    return m_functionState;
}

void FunctionMgr::SetFunctionState(int state)
{
    std::lock_guard lock(m_stateLock);
    m_functionState = state;
}

EffectPoint FunctionMgr::GetVirtualPoint() const
{
    std::shared_lock lock(m_pointLock);
    return m_virtualPoint;
}

void FunctionMgr::SetVirtualPoint(EffectPoint point)
{
    std::unique_lock lock(m_pointLock);
    m_virtualPoint = point;
}

EffectRect FunctionMgr::GetScreenRect() const
{
    std::shared_lock lock(m_pointLock);
    return m_screenRect;
}

void FunctionMgr::SetScreenRect(EffectRect rect)
{
    std::unique_lock lock(m_pointLock);
    m_screenRect = rect;
}

void FunctionMgr::CenterVirtualPoint()
{
    std::unique_lock lock(m_pointLock);
    m_virtualPoint.x = m_screenRect.left + (m_screenRect.right - m_screenRect.left) / 2;
    m_virtualPoint.y = m_screenRect.top + (m_screenRect.bottom - m_screenRect.top) / 2;
}
