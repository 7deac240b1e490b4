#pragma once
// Fixed-class memory pool. Nodes are created on demand up to a per-class maximum and then
// recycled forever, so steady traffic never touches the general heap.

#include "KVOMemNode.h"

#include <cstdint>

constexpr int MEM_CLASS_COUNT = 21;
constexpr int MEM_MAX_NODE_SIZE = 52428800;

// Results of Mem_Alloc.
enum MemAllocResult : int {
    MEM_OK = 0,
    MEM_ERR_TOO_LARGE = 1,    // larger than the largest class
    MEM_ERR_NO_RECORD = 2,    // no memory for the node record (or no pool)
    MEM_ERR_NO_BUFFER = 3,    // no memory for the node buffer
    MEM_ERR_LIST = 4,         // the node could not be listed for release at exit
    MEM_ERR_EXHAUSTED = 5,    // the class has its maximum number of nodes and none is free
};

struct MemClassInfo {
    int32_t bufferSize;
    int32_t maxNodes;
};

// Buffer size and node maximum of class `index` (0 to 20).
MemClassInfo Mem_ClassInfo(int index);
// The class a request of `size` bytes goes to: the first whose buffer holds it; -1 when too large.
int Mem_ClassForSize(int size);

// 0 success, else the CreateRingQ code of the first class that failed.
int Mem_CreatePool();
// Releases every node ever created. Nodes still handed out become invalid.
void Mem_DestroyPool();

int Mem_Alloc(pMemNode* node, int size, const char* srcFile);
// 0 success; 1 when the node could not go back to its class (full free queue, a null node,
// or a node that is already free).
int Mem_Free(pMemNode node, const char* srcFile, const char* funcName, int line);

// Nodes created so far in class `index`, and of those the ones waiting in its free queue.
int Mem_CreatedCount(int index);
int Mem_FreeCount(int index);
