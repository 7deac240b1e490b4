#pragma once
// The motion queue of the pen and the magnifier: nodes from a node pool carried to one worker
// thread that hands each payload to its owner. Moves are offered without waiting and dropped
// when the queue is full, so the effect never lags more than the queue's capacity behind the
// remote; other commands wait for room.

#include "BlockingQueue.h"
#include "CNodePool.h"

#include <cstdint>
#include <functional>
#include <thread>

class EffectMotionQueue {
public:
    // The worker's step for one node's data (`used` bytes).
    using Handler = std::function<void(const uint8_t* data, uint32_t used)>;

    EffectMotionQueue(int capacity, uint32_t nodeSize, Handler handler);
    // Ends the worker and closes the pool.
    ~EffectMotionQueue();
    EffectMotionQueue(const EffectMotionQueue&) = delete;
    EffectMotionQueue& operator=(const EffectMotionQueue&) = delete;

    // Starts the worker once.
    void Start();
    // Puts an exit node behind what is queued (those still run) and joins the worker.
    void Stop();

    // Copies `size` bytes into a node and queues it. Without `wait` a full queue drops it
    // (logged); false when it was not queued.
    bool Push(const void* payload, uint32_t size, bool wait);

    int Size() { return m_queue.size(); }
    CNodePool& Pool() { return m_pool; }

private:
    void ThreadMoveFunc();

    const uint32_t m_nodeSize;
    Handler m_handler;
    CNodePool m_pool;
    BlockingQueue<PoolNode> m_queue;
    std::thread m_thread;
};
