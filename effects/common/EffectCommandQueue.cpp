#include "EffectCommandQueue.h"

#include "KVOLog.h"

#include <cstring>

void PushEffectCmd(ObjectManager& queue, int code, EffectPoint point, bool wait, const EffectCmdTexts& texts)
{
    cmdInfo* cmd = queue.getObj();
    if (cmd == nullptr) {
        WriteLog(KVO_LOG_ERROR, "%s", texts.noRecord);
        return;
    }
    // The point rides in the record's own buffer: no allocation per command.
    std::memcpy(cmd->data.get(), &point, sizeof point);
    cmd->dataLength = sizeof point;
    cmd->cmdId = code;
    if (!wait) {
        if (queue.offerObjNoWait(cmd) != 0)
            WriteLog(KVO_LOG_WARN, "%s", texts.full);
        return;
    }
    queue.offerObj(cmd);
}

EffectCmdTaken TakeEffectCmd(ObjectManager& queue, const EffectCmdTexts& texts, int& code, EffectPoint& point)
{
    cmdInfo* cmd = queue.takeObj();
    if (cmd == nullptr) {
        WriteLog(KVO_LOG_ERROR, "%s", texts.noCommand);
        return EffectCmdTaken::Skip;
    }
    if (cmd->exit_tag == 1) {
        queue.releaseObj(cmd);
        WriteLog(KVO_LOG_INFO, "%s", texts.exit);
        return EffectCmdTaken::Exit;
    }
    if (cmd->dataLength < static_cast<int32_t>(sizeof(EffectPoint))) {
        WriteLog(KVO_LOG_ERROR, "%s", texts.noPayload);
        queue.releaseObj(cmd);
        return EffectCmdTaken::Skip;
    }
    std::memcpy(&point, cmd->data.get(), sizeof point);
    code = cmd->cmdId;
    queue.releaseObj(cmd);
    return EffectCmdTaken::Run;
}
