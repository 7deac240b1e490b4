#pragma once
// The memory node: one pooled buffer that carries a frame, a report or a log line between threads.

#include <cstdint>

struct MemNode {
    int32_t nMemSizeIndex = 0;  // size class 0 to 20
    char* buffer = nullptr;     // start of the buffer, owned by the node
    int32_t size = 0;           // capacity of the buffer (the class size)
    char* data = nullptr;       // current data pointer; back at `buffer` on allocation and on free
    int32_t data_len = 0;       // valid bytes, set by the node's user
    uint8_t in_pool = 0;        // 1 while the node waits in its class's free queue
    int32_t serial = 0;         // creation number, process-wide, from 1
    int32_t stop_tag = 0;       // 1: the consumer that takes this node ends its loop
    MemNode* next_all = nullptr;  // link in the pool's list of every node it created
};

using pMemNode = MemNode*;
