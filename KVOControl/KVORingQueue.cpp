#include "KVORingQueue.h"

#include <chrono>
#include <new>

namespace {

bool IsPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

int CountLocked(const RingQueue* q)
{
    if (q->state == RINGQ_EMPTY)
        return 0;
    if (q->state == RINGQ_FULL)
        return q->capacity;
    return static_cast<int>((q->tail - q->head) & static_cast<uint32_t>(q->capacity - 1));
}

void PutLocked(RingQueue* q, pMemNode node)
{
    const uint32_t mask = static_cast<uint32_t>(q->capacity - 1);
    q->slots[q->tail] = node;
    q->tail = (q->tail + 1) & mask;
    q->state = (q->tail == q->head) ? RINGQ_FULL : RINGQ_PARTIAL;
}

int TakeLocked(RingQueue* q, pMemNode* out, int max)
{
    const uint32_t mask = static_cast<uint32_t>(q->capacity - 1);
    int taken = 0;
    while (taken < max && q->state != RINGQ_EMPTY) {
        out[taken++] = q->slots[q->head];
        q->slots[q->head] = nullptr;
        q->head = (q->head + 1) & mask;
        q->state = (q->head == q->tail) ? RINGQ_EMPTY : RINGQ_PARTIAL;
    }
    return taken;
}

} // namespace

int CreateRingQ(int capacity, RingQueue** queue, int tag)
{
    if (!queue)
        return 1;
    *queue = nullptr;
    if (!IsPowerOfTwo(capacity))
        return 1;
    auto* q = new (std::nothrow) RingQueue;
    if (!q)
        return 1;
    q->slots.reset(new (std::nothrow) pMemNode[static_cast<size_t>(capacity)]());
    if (!q->slots) {
        delete q;
        return 1;
    }
    q->capacity = capacity;
    q->tag = tag;
    *queue = q;
    return 0;
}

void DestroyRingQ(RingQueue* queue)
{
    if (!queue)
        return;
    {
        std::lock_guard lock(queue->lock);
        queue->slots.reset();
    }
    delete queue;
}

int EnRingQ(RingQueue* queue, pMemNode node)
{
    std::unique_lock lock(queue->lock);
    if (queue->state == RINGQ_FULL)
        return 1;
    PutLocked(queue, node);
    lock.unlock();
    // Waking a consumer here too costs nothing when none waits, and a node put without a
    // wake-up would otherwise sit unseen until the next waiting put.
    queue->notEmpty.notify_one();
    return 0;
}

void EnRingQWait(RingQueue* queue, pMemNode node)
{
    EnRingQWaitWhile(queue, node, [] { return true; });
}

int DeRingQ(RingQueue* queue, pMemNode* out, int max, int* count)
{
    std::unique_lock lock(queue->lock);
    *count = TakeLocked(queue, out, max);
    lock.unlock();
    // A producer waiting for room must learn of it whichever get made the room.
    if (*count > 0)
        queue->notFull.notify_all();
    return *count > 0 ? 0 : 1;
}

void DeRingQWait(RingQueue* queue, pMemNode* out, int max, int* count)
{
    std::unique_lock lock(queue->lock);
    queue->notEmpty.wait(lock, [queue] { return queue->state != RINGQ_EMPTY; });
    *count = TakeLocked(queue, out, max);
    const bool more = queue->state != RINGQ_EMPTY;
    lock.unlock();
    queue->notFull.notify_all();
    if (more)
        queue->notEmpty.notify_one();  // let another consumer take the rest
}

int EnRingQWaitWhile(RingQueue* queue, pMemNode node, const std::function<bool()>& keepWaiting)
{
    std::unique_lock lock(queue->lock);
    queue->notFull.wait(lock, [&] { return queue->state != RINGQ_FULL || !keepWaiting(); });
    if (queue->state == RINGQ_FULL)
        return 1;
    PutLocked(queue, node);
    lock.unlock();
    queue->notEmpty.notify_one();
    return 0;
}

void DeRingQTimed(RingQueue* queue, pMemNode* out, int max, int* count, int timeoutMs)
{
    DeRingQTimedWhile(queue, out, max, count, timeoutMs, [] { return true; });
}

void DeRingQTimedWhile(RingQueue* queue, pMemNode* out, int max, int* count, int timeoutMs,
                       const std::function<bool()>& keepWaiting)
{
    std::unique_lock lock(queue->lock);
    const auto hasNode = [&] { return queue->state != RINGQ_EMPTY || !keepWaiting(); };
    if (timeoutMs <= 0)
        queue->notEmpty.wait(lock, hasNode);
    else
        queue->notEmpty.wait_for(lock, std::chrono::milliseconds(timeoutMs), hasNode);
    *count = TakeLocked(queue, out, max);
    const bool more = queue->state != RINGQ_EMPTY;
    lock.unlock();
    queue->notFull.notify_all();
    if (more)
        queue->notEmpty.notify_one();
}

void RingQWake(RingQueue* queue)
{
    {
        // Taken so that a waiter is either before its predicate test or inside its wait.
        std::lock_guard lock(queue->lock);
    }
    queue->notFull.notify_all();
    queue->notEmpty.notify_all();
}

int RingQCount(RingQueue* queue)
{
    std::lock_guard lock(queue->lock);
    return CountLocked(queue);
}

bool RingQIsEmpty(RingQueue* queue)
{
    std::lock_guard lock(queue->lock);
    return queue->head == queue->tail && queue->state == RINGQ_EMPTY;
}

bool RingQIsFull(RingQueue* queue)
{
    std::lock_guard lock(queue->lock);
    return queue->head == queue->tail && queue->state == RINGQ_FULL;
}
