#include "MainPageStatus.h"

namespace {
constexpr int kStatusConnected = 2;
constexpr int kPresenter = 0;
constexpr int kWirelessMouse = 1;
constexpr int kWiredMouse = 2;
} // namespace

DeviceStatusText StatusTextFor(const DeviceStatusSnapshot& device)
{
    if (!device.present)
        return DeviceStatusText::Offline;
    if (device.charging != 0)
        return DeviceStatusText::Charging;
    return device.status == kStatusConnected ? DeviceStatusText::Online : DeviceStatusText::Offline;
}

const char* StatusTextKey(DeviceStatusText text)
{
    switch (text) {
    case DeviceStatusText::Online:
        return "app_status_online";
    case DeviceStatusText::Charging:
        return "app_status_charging";
    case DeviceStatusText::Offline:
        break;
    }
    return "app_status_offline";
}

std::optional<CaptionKind> CaptionKindFor(int devType)
{
    if (devType == kPresenter)
        return CaptionKind::Presenter;
    if (devType == kWirelessMouse || devType == kWiredMouse)
        return CaptionKind::Mouse;
    return std::nullopt;
}

CaptionKeys CaptionKeysFor(CaptionKind kind)
{
    if (kind == CaptionKind::Mouse)
        return {"main_CaptionICON_mouse", "app_name_mouse", "app_name_mouse"};
    return {"main_CaptionICON_presenter", "app_name", "app_name"};
}
