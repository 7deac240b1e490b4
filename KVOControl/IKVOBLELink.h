#pragma once
// The Bluetooth LE link as the receiver transport sees it: a second way to reach the remote.

#include <cstdint>

struct RingQueue;

class IKVOBLELink {
public:
    virtual ~IKVOBLELink() = default;
    // Where the link puts the remote's input reports: the receiver transport's receive queue.
    virtual void SetRecvQueue(RingQueue* queue) = 0;
    // True while a remote is connected and its characteristic can be written.
    virtual bool IsReady() = 0;
    // Sends one frame. The link keeps its own copy: the caller's buffer is reused at once.
    virtual void SendData(const uint8_t* data, int length) = 0;
    // Ends the link's threads and disconnects; called once at exit.
    virtual void Stop() = 0;
};
