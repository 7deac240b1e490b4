#pragma once
// The table of data queues that carry filled nodes between the link's threads.

#include "KVORingQueue.h"

constexpr int DATA_QUEUE_COUNT = 22;
constexpr int KVO_SEND_QUEUE = 0;   // frames for the device
constexpr int KVO_RECV_QUEUE = 3;   // input reports from the receiver and from Bluetooth LE
constexpr int KVO_LOG_QUEUE = 17;   // log lines

// Capacity of data queue `index`.
int DataQueueCapacity(int index);

// 0 success, else the CreateRingQ code of the first queue that failed (nothing is left created).
int CreateDataQueueMgr();
// Destroys every data queue. Nodes still inside are not returned to the pool.
void DestroyDataQueueMgr();
// The queue at `index`, or nullptr before creation and after destruction.
RingQueue* GetDataQueue(int index);
