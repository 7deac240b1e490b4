#include "EffectServices.h"

#include "ConfigManager.h"
#include "ControllerSet.h"
#include "ICompositor.h"
#include "KVOLog.h"

CConfigManager& EffectServices::Config() const { return config != nullptr ? *config : CConfigManager::GetInstance(); }

bool EffectServices::Composited() const { return compositor != nullptr && compositor->IsRunning(); }

void EffectServices::StopFunction() const
{
    if (stopFunction) {
        stopFunction();
        return;
    }
    if (ControllerSet* set = ControllerSet::Existing())
        set->GetFunctionMgr().StopFunction(1);
    else
        WriteLog(KVO_LOG_WARN, "EffectServices::StopFunction no function manager");
}

EffectPoint EffectServices::EffectPointNow() const
{
    if (effectPoint)
        return effectPoint();
    if (ControllerSet* set = ControllerSet::Existing())
        return set->GetFunctionMgr().GetVirtualPoint();
    return {};
}
