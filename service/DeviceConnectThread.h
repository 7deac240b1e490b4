#pragma once

#include "DeviceMgr.h"
#include "OSThread.h"

class DeviceConnectThread final : public OSOwnerThread<DeviceMgr, &DeviceMgr::Run> {
public:
    explicit DeviceConnectThread(DeviceMgr* owner) : OSOwnerThread("DeviceStatusThread", owner) {}
};
