#include "CNodePool.h"

#include <new>

CNodePool::~CNodePool() { Close(); }

PoolNode* CNodePool::Allocate(uint32_t size)
{
    std::unique_ptr<PoolNode> node;
    uint32_t want = 0;
    {
        std::lock_guard lock(m_lock);
        if (m_closed)
            return nullptr;
        if (size > m_nodeDataSize)
            m_nodeDataSize = size;
        want = m_nodeDataSize;
        if (!m_free.empty()) {
            node.reset(m_free.front());
            m_free.pop_front();
        }
    }
    if (!node)
        node = std::make_unique<PoolNode>();
    if (node->capacity < want) {
        // A failed growth loses this node only; the pool goes on.
        node->data.reset(new (std::nothrow) uint8_t[want]);
        if (!node->data)
            return nullptr;
        node->capacity = want;
    }
    node->used = 0;
    node->exit_tag = 0;
    return node.release();
}

void CNodePool::Release(PoolNode* node)
{
    if (node == nullptr)
        return;
    std::unique_lock lock(m_lock);
    if (m_closed) {
        lock.unlock();
        delete node;
        return;
    }
    m_free.push_back(node);
}

void CNodePool::Close()
{
    std::deque<PoolNode*> free;
    {
        std::lock_guard lock(m_lock);
        m_closed = true;
        free.swap(m_free);
    }
    for (PoolNode* node : free)
        delete node;
}

uint32_t CNodePool::NodeDataSize()
{
    std::lock_guard lock(m_lock);
    return m_nodeDataSize;
}

size_t CNodePool::FreeCount()
{
    std::lock_guard lock(m_lock);
    return m_free.size();
}
