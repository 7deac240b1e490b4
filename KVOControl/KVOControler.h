#pragma once
// The single entry and exit point of the device link: InitKVOControler builds the pool, queues,
// log writer, receiver transport, heartbeat, decoder, motion consumer and device watch;
// ExitKVOControler takes them down again and joins every link thread. Also the link's reactions
// to a remote that went silent or just announced itself, which run on the device manager's worker.

#include "KVODeviceWatch.h"

#include <cstdint>
#include <functional>

class DeviceMgr;
class IKVOBLELink;
class IKVOKeyHandler;
class ILogSink;

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

// What the program hands the link before InitKVOControler; every member may be empty.
struct KVOControlerEnvironment {
    // Where the log writer puts the lines; no sink, no writer.
    ILogSink* logSink = nullptr;
    // The monitor layout, callable from any thread (the device watch and the speed keeper read it).
    const platform::IScreens* screens = nullptr;
    KVODeviceWatchHooks watch;
    // Reloads the function-selection flags of the configuration store.
    std::function<void()> reloadFunctionSelection;
    // Receives the key-and-motion events; null means the presenter service.
    IKVOKeyHandler* keyHandler = nullptr;
    IKVOBLELink* bleLink = nullptr;
    // Waits out the link's settle time on the calling (UI) thread; empty means a plain sleep. A
    // program with an event loop keeps it running here, so the window and the tray stay alive;
    // nothing it delivers meanwhile may start or stop the link.
    std::function<void(int ms)> pause;
};
void SetKVOControlerEnvironment(KVOControlerEnvironment environment);

constexpr int KVO_INIT_SETTLE_MS = 2000;
constexpr int KVO_EXIT_HEARTBEAT_MS = 100;

// Builds and starts the link. On the UI thread, once; after ExitKVOControler it may run again.
void InitKVOControler();
// Ends what consumes the link's output: the motion thread (after it no key reaches the presenter
// service) and the controller set's workers (each runs the commands queued before it, then ends).
// The program calls it when it frees the presenter service, before the link goes; ExitKVOControler
// calls it itself. InitKVOControler starts them again.
void StopKVOControlerConsumers();
// Stops the consumers, sets the device manager's mode and heart ban to 0 and sends a last
// heartbeat with mode 0, then (once per InitKVOControler) stops and joins every link thread and
// frees the queues and the pool. A further call only sends the heartbeat.
void ExitKVOControler();
// True between InitKVOControler and ExitKVOControler.
bool IsKVOControlerRunning();
