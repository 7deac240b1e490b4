#include "EffectMotionQueue.h"

#include "KVOLog.h"

#include <algorithm>
#include <cstring>

EffectMotionQueue::EffectMotionQueue(int capacity, uint32_t nodeSize, Handler handler)
    : m_nodeSize(nodeSize), m_handler(std::move(handler)), m_queue(capacity)
{
}

EffectMotionQueue::~EffectMotionQueue()
{
    Stop();
    // Nodes still queued (none once the worker has drained them) go with the pool's free list.
    while (PoolNode* node = m_queue.poll(0))
        m_pool.Release(node);
    m_pool.Close();
}

void EffectMotionQueue::Start()
{
    if (!m_thread.joinable())
        m_thread = std::thread([this] { ThreadMoveFunc(); });
}

void EffectMotionQueue::Stop()
{
    if (!m_thread.joinable())
        return;
    PoolNode* exit = m_pool.Allocate(m_nodeSize);
    if (exit == nullptr)
        exit = new PoolNode(); // the pool is closed or out of memory: the worker must still end
    exit->exit_tag = 1;
    m_queue.offer(exit);
    m_thread.join();
}

bool EffectMotionQueue::Push(const void* payload, uint32_t size, bool wait)
{
    PoolNode* node = m_pool.Allocate(std::max(size, m_nodeSize));
    if (node == nullptr)
        return false;
    std::memcpy(node->data.get(), payload, size);
    node->used = size;
    if (wait) {
        m_queue.offer(node);
        return true;
    }
    if (m_queue.offer(node, 0) != 0) {
        m_pool.Release(node);
        WriteLog(KVO_LOG_WARN, "****** CPresenterPostil offer size:%d", m_queue.size());
        return false;
    }
    return true;
}

void EffectMotionQueue::ThreadMoveFunc()
{
    for (;;) {
        PoolNode* node = m_queue.take();
        if (node == nullptr) {
            WriteLog(KVO_LOG_DEBUG, "CPresenterPostil::PostilMove continue by: (p_MemNode == NULL)");
            continue;
        }
        if (node->exit_tag == 1) {
            m_pool.Release(node);
            WriteLog(KVO_LOG_INFO, "CPresenterPostil::PostilMove break, because: (1 == p_MemNode->exit_tag).");
            return;
        }
        m_handler(node->data.get(), node->used);
        m_pool.Release(node);
    }
}
