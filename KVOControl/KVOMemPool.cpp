#include "KVOMemPool.h"

#include "KVOLog.h"
#include "KVORingQueue.h"
#include "DebugOutput.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>

namespace {

constexpr MemClassInfo kClasses[MEM_CLASS_COUNT] = {
    {128, 8192},      {256, 4096},      {512, 4096},      {640, 1024},      {1024, 8192},
    {4096, 8192},     {8192, 1024},     {16384, 1024},    {32768, 1024},    {65536, 1024},
    {131072, 1024},   {262144, 1024},   {393216, 1024},   {524288, 1024},   {917504, 1024},
    {2097152, 1024},  {5242880, 1024},  {10485760, 1024}, {20971520, 16},   {31457280, 16},
    {52428800, 16},
};

constexpr int kPoolQueueTag = 20000;

struct MemClass {
    int init_count = 0;
    int mem_queue_count = 0;
    RingQueue* freeQueue = nullptr;
    std::mutex lock;  // serialises taking and creating nodes of the class; taken before the queue's lock
};

MemClass g_classes[MEM_CLASS_COUNT];
std::atomic<bool> g_poolReady{false};
std::atomic<int32_t> g_serial{0};

std::mutex g_allNodesLock;
MemNode* g_allNodes = nullptr;

void ReleaseClass(MemClass& c)
{
    DestroyRingQ(c.freeQueue);
    c.freeQueue = nullptr;
    c.init_count = 0;
    c.mem_queue_count = 0;
}

void ReportCreation(int index, const MemClass& c)
{
    if (!platform::DebugOutputEnabled())
        return;
    char line[160];
    const int n = std::snprintf(line, sizeof line,
                                "Mem_Alloc Test mem_queue_count：%d init_count:%d nDataCount:%d nMemSizeIndex:%d \r\n",
                                c.mem_queue_count, c.init_count, 0, index);
    if (n > 0)
        platform::DebugOutput(std::string_view(line, static_cast<size_t>(n)));
}

} // namespace

MemClassInfo Mem_ClassInfo(int index) { return kClasses[index]; }

int Mem_ClassForSize(int size)
{
    for (int i = 0; i < MEM_CLASS_COUNT; ++i) {
        if (size <= kClasses[i].bufferSize)
            return i;
    }
    return -1;
}

int Mem_CreatePool()
{
    for (int i = 0; i < MEM_CLASS_COUNT; ++i) {
        MemClass& c = g_classes[i];
        const int rc = CreateRingQ(kClasses[i].maxNodes, &c.freeQueue, kPoolQueueTag);
        if (rc != 0) {
            for (int j = i - 1; j >= 0; --j)
                ReleaseClass(g_classes[j]);
            return rc;
        }
        c.init_count = 0;
        c.mem_queue_count = kClasses[i].maxNodes;
    }
    {
        std::lock_guard lock(g_allNodesLock);
        g_allNodes = nullptr;
    }
    g_poolReady.store(true, std::memory_order_release);
    return 0;
}

void Mem_DestroyPool()
{
    g_poolReady.store(false, std::memory_order_release);
    MemNode* node = nullptr;
    {
        std::lock_guard lock(g_allNodesLock);
        node = g_allNodes;
        g_allNodes = nullptr;
    }
    while (node) {
        MemNode* next = node->next_all;
        delete[] node->buffer;
        delete node;
        node = next;
    }
    for (MemClass& c : g_classes) {
        std::lock_guard lock(c.lock);
        ReleaseClass(c);
    }
}

int Mem_Alloc(pMemNode* out, int size, const char* /*srcFile*/)
{
    *out = nullptr;
    if (size > MEM_MAX_NODE_SIZE)
        return MEM_ERR_TOO_LARGE;
    if (!g_poolReady.load(std::memory_order_acquire))
        return MEM_ERR_NO_RECORD;

    const int index = Mem_ClassForSize(size);
    MemClass& c = g_classes[index];
    std::unique_lock lock(c.lock);

    pMemNode reused = nullptr;
    int count = 0;
    DeRingQ(c.freeQueue, &reused, 1, &count);
    if (count == 1) {
        lock.unlock();
        reused->data = reused->buffer;
        reused->data_len = size;
        reused->in_pool = 0;
        *out = reused;
        return MEM_OK;
    }

    ReportCreation(index, c);
    if (c.init_count >= c.mem_queue_count)
        return MEM_ERR_EXHAUSTED;

    auto* node = new (std::nothrow) MemNode;
    if (!node)
        return MEM_ERR_NO_RECORD;
    // Value-initialised: a new node's buffer starts zeroed; reused ones are cleared by their users.
    node->buffer = new (std::nothrow) char[static_cast<size_t>(kClasses[index].bufferSize)]();
    if (!node->buffer) {
        delete node;
        return MEM_ERR_NO_BUFFER;
    }
    node->serial = g_serial.fetch_add(1, std::memory_order_relaxed) + 1;
    ++c.init_count;
    lock.unlock();

    node->nMemSizeIndex = index;
    node->size = kClasses[index].bufferSize;
    node->data = node->buffer;
    node->data_len = size;
    node->in_pool = 0;
    node->stop_tag = 0;
    {
        std::lock_guard listLock(g_allNodesLock);
        node->next_all = g_allNodes;
        g_allNodes = node;
    }
    *out = node;
    return MEM_OK;
}

int Mem_Free(pMemNode node, const char* /*srcFile*/, const char* /*funcName*/, int /*line*/)
{
    if (!node || node->nMemSizeIndex < 0 || node->nMemSizeIndex >= MEM_CLASS_COUNT)
        return 1;
    MemClass& c = g_classes[node->nMemSizeIndex];
    int rc = 1;
    {
        std::lock_guard lock(c.lock);
        // A node freed twice would sit in the free queue twice and later be handed to two users.
        if (node->in_pool || !c.freeQueue)
            return 1;
        node->data = node->buffer;
        node->data_len = 0;
        node->in_pool = 1;
        rc = EnRingQ(c.freeQueue, node);
        if (rc != 0)
            node->in_pool = 0;
    }
    if (rc != 0) {
        WriteLog(KVO_LOG_ERROR, "Mem_Free() call EnRingQ(),rstcode=%d . \n", rc);
        return 1;
    }
    return 0;
}

int Mem_CreatedCount(int index)
{
    std::lock_guard lock(g_classes[index].lock);
    return g_classes[index].init_count;
}

int Mem_FreeCount(int index)
{
    std::lock_guard lock(g_classes[index].lock);
    return g_classes[index].freeQueue ? RingQCount(g_classes[index].freeQueue) : 0;
}
