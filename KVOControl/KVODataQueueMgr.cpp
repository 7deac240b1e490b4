#include "KVODataQueueMgr.h"

#include "KVOLog.h"

#include <atomic>

namespace {

constexpr int kCapacities[DATA_QUEUE_COUNT] = {
    128, 8, 128, 128,                 // 0 send, 3 receive
    128, 128, 128, 128, 128, 128, 128,
    1024, 128, 128, 4, 4, 128,
    128,                              // 17 log
    128, 128, 128, 4096,
};

std::atomic<RingQueue*> g_dataQueues[DATA_QUEUE_COUNT];

void DestroyUpTo(int end)
{
    for (int i = 0; i < end; ++i) {
        if (i == KVO_LOG_QUEUE)
            DetachLogQueue();
        DestroyRingQ(g_dataQueues[i].exchange(nullptr));
    }
}

} // namespace

int DataQueueCapacity(int index) { return kCapacities[index]; }

int CreateDataQueueMgr()
{
    for (int i = 0; i < DATA_QUEUE_COUNT; ++i) {
        RingQueue* q = nullptr;
        const int rc = CreateRingQ(kCapacities[i], &q, i);
        if (rc != 0) {
            DestroyUpTo(i);
            return rc;
        }
        g_dataQueues[i].store(q, std::memory_order_release);
    }
    AttachLogQueue(g_dataQueues[KVO_LOG_QUEUE].load(std::memory_order_acquire));
    return 0;
}

void DestroyDataQueueMgr() { DestroyUpTo(DATA_QUEUE_COUNT); }

RingQueue* GetDataQueue(int index)
{
    if (index < 0 || index >= DATA_QUEUE_COUNT)
        return nullptr;
    return g_dataQueues[index].load(std::memory_order_acquire);
}
