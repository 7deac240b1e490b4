#pragma once
// Frames the computer sends to the remote: heartbeat, vibration, sensitivity and power time-outs.
// Each operation builds its frame in a pool node and queues it on the send queue; the HID writer
// thread delivers it to whichever link the remote last used. Nothing waits for an answer.

#include <cstdint>

struct RingQueue;

constexpr uint8_t KVO_FRAME_FROM_HOST = 0xB2;
constexpr int KVO_FRAME_LENGTH = 16;
constexpr int KVO_TIMEOUT_FRAME_LENGTH = 8;
constexpr int KVO_FRAME_NODE_SIZE = 2048;
constexpr int KVO_HEARTBEAT_PERIOD_MS = 1000;

enum KVOCommandCode : uint8_t {
    KVO_CMD_HEARTBEAT = 0x50,
    KVO_CMD_MOTOR = 0xD2,
    KVO_CMD_SENSITIVITY = 0xD3,
    KVO_CMD_TIMEOUT = 0xD4,
};

// Mouse mode and heart ban, one byte each.
void SendHeartCommand(int mode1, int model2);
// 1 queued, 0 not (no memory node or no send queue).
int SendMotorCmdFunc(int motorTime, int shockIntensity);
int SendSensitivityCmdFunc(int nDPI, int nRate);
// Queued only while a receiver is open (the LE link has no power time-outs). False only when no
// memory node was had.
bool SendTimeOutCmdFunc(int connectTimeOut, int unConnectTimeOut);
// Periodic heartbeat carrying the device manager's mouse mode, once a second, into `heartQueue`
// while the link running flag is set.
void ThreadSendCmdFunc(RingQueue* heartQueue);

// Duty byte of a vibration intensity (1 to 3; anything else is the weakest).
uint8_t MotorDuty(int shockIntensity);
