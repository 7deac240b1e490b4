#include "PresenterEnvironment.h"

#include "ConfigManager.h"
#include "ICursorSpeedScale.h"
#include "IFunctionToolTip.h"
#include "IPresenterActions.h"
#include "KVOLog.h"

CConfigManager& PresenterEnvironment::Config() const
{
    CConfigManager* config = m_config.load();
    return config != nullptr ? *config : CConfigManager::GetInstance();
}

float PresenterEnvironment::SpeedScale() const
{
    const ICursorSpeedScale* scale = m_speedScale.load();
    return scale != nullptr ? scale->GetSpeedScale() : 1.0f;
}

IPresenterActions& PresenterEnvironment::Actions() const
{
    static LoggedPresenterActions s_logged;
    IPresenterActions* actions = m_actions.load();
    return actions != nullptr ? *actions : s_logged;
}

IFunctionToolTip* PresenterEnvironment::ToolTip() const
{
    IFunctionToolTip* toolTip = m_toolTip.load();
    return toolTip != nullptr ? toolTip : GetFunctionToolTip();
}

void PresenterEnvironment::SendHeart(int mouseMode, int heartBan) const
{
    if (HeartSender sender = m_heartSender.load())
        sender(mouseMode, heartBan);
    else
        WriteLog(KVO_LOG_WARN, "SendHeart(%d, %d): no device link to send the heartbeat", mouseMode, heartBan);
}
