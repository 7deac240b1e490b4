#include "EffectServices.h"

#include "ConfigManager.h"
#include "ControllerSet.h"
#include "ICompositor.h"
#include "KVOLog.h"
#include "KVOPhysicalDeviceTracker.h"

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

void EffectServices::TellUser(const char* section, const char* key) const
{
    constexpr int kShownMs = 5000;
    if (tellUser)
        tellUser(section, key);
    else if (!ShowKVOTooltip(section, key, kShownMs))
        WriteLog(KVO_LOG_WARN, "EffectServices::TellUser no message window for %s", key);
}
