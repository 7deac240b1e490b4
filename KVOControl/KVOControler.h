#pragma once
// The device link's reactions to a remote that went silent or just announced itself. Both run
// on the device manager's worker.

#include <cstdint>

class DeviceMgr;

// Refreshes the settings pages for the device now present.
constexpr uint32_t KVO_MSG_DEVICE_PRESENT = 2035;
// The configuration store's default cursor speed, used when no store is wired.
constexpr int KVO_DEFAULT_CURSOR_SPEED = 80;
constexpr int KVO_CONNECTED_TIMEOUT_MS = 600000;
constexpr int KVO_UNCONNECTED_TIMEOUT_MS = 10000;

// Marks the device offline and stops the running function, when it was connected.
void ConnectTimeOut(int devType);
// Sends the configured cursor speed and, for a presenter, the power time-outs.
void SynchDeviceParamters(int devType);

// Sensitivity byte for a cursor speed (0 to 80), by device type and model bit.
int SensitivityValue(int devType, int modelBit, int speed);

// Start-up wiring. The cursor speed comes from the configuration store; the poster delivers a
// message (wParam and lParam 0) to the main window when one exists.
void SetCursorSpeedSource(int (*source)());
void SetMainWindowPoster(void (*post)(uint32_t message));
// Joins the link and the device manager: its worker then runs ConnectTimeOut and
// SynchDeviceParamters, and the transport reads the link kind from it and stores the receiver's
// device type in it. Null undoes both.
void ConnectDeviceMgrToLink(DeviceMgr* deviceMgr);
