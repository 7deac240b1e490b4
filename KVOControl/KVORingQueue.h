#pragma once
// Bounded FIFO of memory-node pointers shared between threads. Capacity is a power of two so
// indices wrap by masking. Non-waiting operations report full/empty; waiting ones block.

#include "KVOMemNode.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

struct RingQueue {
    uint32_t head = 0;  // next slot to take
    uint32_t tail = 0;  // next slot to fill
    int32_t state = 0;  // 0 empty, 1 full, 2 neither
    int32_t capacity = 0;
    std::mutex lock;
    std::condition_variable notEmpty;
    std::condition_variable notFull;
    std::unique_ptr<pMemNode[]> slots;
    int32_t tag = 0;
};

enum RingQState : int32_t { RINGQ_EMPTY = 0, RINGQ_FULL = 1, RINGQ_PARTIAL = 2 };

// 0 success; 1 out of memory or a capacity that is not a positive power of two.
int CreateRingQ(int capacity, RingQueue** queue, int tag);
void DestroyRingQ(RingQueue* queue);

// 0 stored, 1 full (the node is not stored). Never waits.
int EnRingQ(RingQueue* queue, pMemNode node);
// Waits while the queue is full, then stores the node and wakes a waiting consumer.
void EnRingQWait(RingQueue* queue, pMemNode node);
// Like EnRingQWait, but gives up once `keepWaiting` returns false: 0 stored, 1 not stored.
// The predicate is tested under the queue's lock whenever the wait wakes, and RingQWake wakes
// it, so a thread that clears a flag and then calls RingQWake is never missed.
int EnRingQWaitWhile(RingQueue* queue, pMemNode node, const std::function<bool()>& keepWaiting);

// Takes up to `max` nodes in FIFO order. 0 when at least one was taken, 1 when empty. Never waits.
int DeRingQ(RingQueue* queue, pMemNode* out, int max, int* count);
// Waits until at least one node is there, then takes up to `max`.
void DeRingQWait(RingQueue* queue, pMemNode* out, int max, int* count);
// Like DeRingQWait, but waits at most `timeoutMs` (0 means no limit); `count` may be 0.
void DeRingQTimed(RingQueue* queue, pMemNode* out, int max, int* count, int timeoutMs);
// Like DeRingQTimed, but also stops waiting once `keepWaiting` returns false (tested as in
// EnRingQWaitWhile); nodes already there are still taken.
void DeRingQTimedWhile(RingQueue* queue, pMemNode* out, int max, int* count, int timeoutMs,
                       const std::function<bool()>& keepWaiting);
// Makes the waits of the ...While operations on `queue` test their predicates again.
void RingQWake(RingQueue* queue);

int RingQCount(RingQueue* queue);
bool RingQIsEmpty(RingQueue* queue);
bool RingQIsFull(RingQueue* queue);
