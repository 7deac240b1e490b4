#include "IPresenterActions.h"

#include "KVOLog.h"

void LoggedPresenterActions::OnPressPageDownKey()
{
    WriteLog(KVO_LOG_INFO, "OnPressPageDownKey: no custom action available");
}

void LoggedPresenterActions::OnPressMouseCustomKey(int code)
{
    WriteLog(KVO_LOG_INFO, "OnPressMouseCustomKey(%d): no custom action available", code);
}

void LoggedPresenterActions::SetIsPressFunAndUp(int pressed)
{
    WriteLog(KVO_LOG_DEBUG, "SetIsPressFunAndUp(%d): no keyboard hook", pressed);
}

void LoggedPresenterActions::ToggleSlideShow(int devType)
{
    WriteLog(KVO_LOG_INFO, "ToggleSlideShow(devType=%d): slide-show toggle not available", devType);
}

void LoggedPresenterActions::MirrorScreen(int devType)
{
    WriteLog(KVO_LOG_INFO, "MirrorScreen(devType=%d): screen mirroring not available", devType);
}
