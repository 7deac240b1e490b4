#pragma once
// Outgoing frames as the protocol operations build them: a pool node with the frame header and
// the frame, put into the send queue.

#include "KVODataQueueMgr.h"
#include "KVOFrameHeader.h"
#include "KVOMemPool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

// `head` followed by zeros up to `length` bytes.
inline std::vector<uint8_t> Frame(std::initializer_list<uint8_t> head, size_t length)
{
    std::vector<uint8_t> f(head);
    f.resize(length, 0);
    return f;
}

// Queues `bytes` as a frame whose header says `length` bytes are to be sent.
inline void QueueOutgoingFrame(std::initializer_list<uint8_t> bytes, int length)
{
    pMemNode node = nullptr;
    ASSERT_EQ(Mem_Alloc(&node, 2048, __FILE__), 0);
    std::memset(node->data, 0, 2048);
    KVOFrameHeader h;
    h.length = length;
    WriteFrameHeader(node, h);
    std::copy(bytes.begin(), bytes.end(), FrameReport(node));
    EnRingQWait(GetDataQueue(KVO_SEND_QUEUE), node);
}
