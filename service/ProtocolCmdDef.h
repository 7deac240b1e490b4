#pragma once
// Identifiers of the command records that the link and the key handling hand to the managers.

enum ProtocolCmdDef : int {
    CMD_DEVICE_CONNECTED = 10000,  // device manager: the remote is present
    CMD_CONNECT_TIMEOUT = 10001,   // device manager: the remote went silent
    CMD_MIRROR_SCREEN = 10002,     // service queue: mirror key
    CMD_SLIDESHOW = 10003,         // service queue: page up held
    CMD_SYNC_PARAMETERS = 10006,   // device manager: send sensitivity and time-outs
    CMD_KEY_MSM = 10007,           // play/stop queue: key that may switch function or mode
    CMD_PLAY_FUNCTION = 10008,     // play/stop queue: start the current function
    CMD_STOP_FUNCTION = 10009,     // play/stop queue: stop the current function
};
