#pragma once
// The pool the effects' motion queues take their nodes from. Every node's data block is as
// large as the largest size ever asked for, so a node can carry any payload of its owner and
// steady motion allocates nothing. Thread-safe. Closing deletes the free nodes; nodes still out
// are deleted by whoever returns them.

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>

struct PoolNode {
    std::unique_ptr<uint8_t[]> data;
    uint32_t capacity = 0;
    uint32_t used = 0;    // cleared on allocation
    int32_t exit_tag = 0; // 1 asks the consumer to stop
};

class CNodePool {
public:
    CNodePool() = default;
    ~CNodePool();
    CNodePool(const CNodePool&) = delete;
    CNodePool& operator=(const CNodePool&) = delete;

    // A node with at least `size` bytes of data, or null when the pool is closed or the data
    // block could not grow.
    PoolNode* Allocate(uint32_t size);
    // Back to the free list; deleted when the pool is closed. Null does nothing.
    void Release(PoolNode* node);
    void Close();

    uint32_t NodeDataSize();
    size_t FreeCount();

private:
    std::mutex m_lock;
    uint32_t m_nodeDataSize = 1;
    bool m_closed = false;
    std::deque<PoolNode*> m_free;
};
