#pragma once
// State shared by the caller side of the log (KVOLog.cpp) and its writer thread (KVOLogWriter.cpp).

#include "KVOLog.h"
#include "KVOMemNode.h"

#include <atomic>

namespace kvolog {

extern std::atomic<RingQueue*> g_logQueue;
// Calls of WriteLog between their queue check and their put. The writer drains until none is left.
extern std::atomic<int> g_inFlight;
extern std::atomic<uint64_t> g_dropped;

// Set on the writer thread: a line it logs itself must not wait for room in the queue that only
// it empties.
extern thread_local bool t_onWriterThread;

// Writes a line straight to the sink, bypassing the queue (used when a node cannot go back).
void WriteDirect(const char* text);

} // namespace kvolog
