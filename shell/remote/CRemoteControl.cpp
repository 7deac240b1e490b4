#include "CRemoteControl.h"

#include "CCustomKeyFunctions.h"
#include "CPresenterService.h"
#include "ControllerSet.h"
#include "DeviceMgr.h"
#include "FunctionMgr.h"
#include "KVOLog.h"

#include "CSettingAccess.h"
#include "ConfigManager.h"
#include "ISettingsWindow.h"
#include "MainPageStatus.h"
#include "RemoteNames.h"

namespace {

const char* DeviceTypeName(int devType)
{
    switch (devType) {
    case 0:
        return "presenter";
    case 1:
        return "wireless-mouse";
    case 2:
        return "wired-mouse";
    default:
        return "none";
    }
}

const char* LinkName(int linkKind)
{
    switch (linkKind) {
    case 1:
        return "ble";
    case 2:
        return "receiver";
    default:
        return "none";
    }
}

const char* StatusName(DeviceStatusText text)
{
    switch (text) {
    case DeviceStatusText::Online:
        return "online";
    case DeviceStatusText::Charging:
        return "charging";
    case DeviceStatusText::Offline:
        break;
    }
    return "offline";
}

} // namespace

CRemoteControl::CRemoteControl(Parts parts) : m_parts(std::move(parts)) {}

CPresenterService* CRemoteControl::Service(platform::RemoteError& error) const
{
    // The service's managers exist from the link's start to its exit; the link starts and stops
    // on this (the UI) thread.
    if (ControllerSet::Existing() == nullptr) {
        error = "the device link is not running";
        return nullptr;
    }
    return &CPresenterService::GetInstance();
}

platform::RemoteError CRemoteControl::SelectFunction(const std::string& name)
{
    const std::optional<int> function = FunctionIdOf(name);
    if (!function)
        return "no function \"" + name + "\"; the functions are " + FunctionNames();
    platform::RemoteError error;
    if (CPresenterService* service = Service(error))
        service->SelectFunction(*function);
    return error;
}

platform::RemoteError CRemoteControl::Play()
{
    platform::RemoteError error;
    if (CPresenterService* service = Service(error))
        service->Play();
    return error;
}

platform::RemoteError CRemoteControl::Stop()
{
    platform::RemoteError error;
    if (CPresenterService* service = Service(error))
        service->Stop();
    return error;
}

platform::RemoteError CRemoteControl::Move(int dx, int dy)
{
    if (dx < -kLargestStep || dx > kLargestStep || dy < -kLargestStep || dy > kLargestStep)
        return "a move is at most " + std::to_string(kLargestStep) + " either way";
    platform::RemoteError error;
    if (CPresenterService* service = Service(error))
        service->MoveBy({dx, dy});
    return error;
}

platform::RemoteError CRemoteControl::ToggleBlankScreen() { return RunCustomAction(KVO_CUSTOM_BLANK_SCREEN); }

platform::RemoteError CRemoteControl::ToggleSlideShow()
{
    platform::RemoteError error;
    if (CPresenterService* service = Service(error))
        service->ToggleSlideShow();
    return error;
}

platform::RemoteError CRemoteControl::RunAction(const std::string& name)
{
    const std::optional<int> action = CustomActionOf(name);
    if (!action)
        return "no custom action \"" + name + "\"; the actions are " + CustomActionNames();
    // The slide-show toggle types its keys with pauses between them: it runs on the service's
    // worker, as a held page-up key's toggle does, not on this (the UI) thread.
    if (*action == KVO_CUSTOM_PPT_FULLSCREEN)
        return ToggleSlideShow();
    return RunCustomAction(*action);
}

platform::RemoteError CRemoteControl::RunCustomAction(int action)
{
    if (m_parts.customKeys == nullptr)
        return "the custom actions are not available";
    // The connected device's slot: scrolling is the presenter's, the colours, address and
    // shortcut are kept per slot.
    const DeviceMgr* deviceMgr = ExistingDeviceMgr();
    const int slot = deviceMgr != nullptr && deviceMgr->GetDevType() != 0 ? kSlotMouse : kSlotPresenter;
    if (action == KVO_CUSTOM_SCROLL && slot != kSlotPresenter)
        return "scrolling is a presenter's action";
    WriteLog(KVO_LOG_INFO, "CRemoteControl::RunCustomAction %d slot:%d", action, slot);
    m_parts.customKeys->RunActionOnce(action, slot);
    return {};
}

platform::RemoteError CRemoteControl::ShowSettings()
{
    if (m_parts.settingsWindow == nullptr)
        return "there is no settings window";
    m_parts.settingsWindow->ShowSettingsWindow();
    return {};
}

platform::RemoteError CRemoteControl::HideSettings()
{
    if (m_parts.settingsWindow == nullptr)
        return "there is no settings window";
    m_parts.settingsWindow->HideSettingsWindow();
    return {};
}

platform::RemoteError CRemoteControl::Quit()
{
    WriteLog(KVO_LOG_INFO, "CRemoteControl::Quit");
    if (m_parts.quit)
        m_parts.quit();
    return {};
}

platform::RemoteState CRemoteControl::State() const
{
    platform::RemoteState state;
    DeviceStatusSnapshot snapshot;
    ControllerSet* set = ControllerSet::Existing();
    if (set != nullptr) {
        const DeviceMgr& deviceMgr = set->GetDeviceMgr();
        snapshot.present = true;
        snapshot.status = deviceMgr.GetStatus();
        snapshot.charging = deviceMgr.GetCharging();
        state.connected = snapshot.status == DEVICE_STATUS_CONNECTED;
        state.deviceType = state.connected ? DeviceTypeName(deviceMgr.GetDevType()) : "none";
        state.link = state.connected ? LinkName(deviceMgr.GetLinkKind()) : "none";
        const FunctionMgr& functionMgr = set->GetFunctionMgr();
        const int function = functionMgr.GetCurrentFunction();
        state.function = FunctionNameOf(function);
        IPresenterFunction* effect = function >= FUNCTION_SPOTLIGHT ? functionMgr.Effect(function) : nullptr;
        state.shown = effect != nullptr && effect->IsShown();
    } else {
        state.deviceType = "none";
        state.link = "none";
        state.function = FunctionNameOf(FUNCTION_MOUSE);
    }
    state.status = StatusName(StatusTextFor(snapshot));
    return state;
}

platform::RemoteError CRemoteControl::GetSetting(const std::string& section, const std::string& key,
                                                 std::string& value) const
{
    if (!CSettingAccess(*m_parts.config).Get(section, key, value))
        return "no setting " + section + "." + key;
    return {};
}

platform::RemoteError CRemoteControl::SetSetting(const std::string& section, const std::string& key,
                                                 const std::string& value)
{
    std::string why;
    if (CSettingAccess(*m_parts.config).Set(section, key, value, why) != CSettingAccess::Result::Stored)
        return why;
    // The command answers once the key is in config.ini, so a script may read it there next.
    m_parts.config->FlushWrites();
    if (m_parts.settingsChanged)
        m_parts.settingsChanged();
    WriteLog(KVO_LOG_INFO, "CRemoteControl::SetSetting %s.%s", section.c_str(), key.c_str());
    return {};
}
