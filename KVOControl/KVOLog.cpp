#include "KVOLog.h"

#include "KVOLogState.h"
#include "KVOMemPool.h"
#include "KVORingQueue.h"
#include "DebugOutput.h"

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>
#include <thread>

namespace kvolog {
std::atomic<RingQueue*> g_logQueue{nullptr};
std::atomic<int> g_inFlight{0};
std::atomic<uint64_t> g_dropped{0};
thread_local bool t_onWriterThread = false;
} // namespace kvolog

using namespace kvolog;

namespace {

std::atomic<LogVariant> g_variant{LogVariant::Orvelle};
std::atomic<int> g_levelFilter{KVO_LOG_INFO};

// Set while this thread reports its own failed allocation, so that report cannot recurse.
thread_local bool t_reportingAllocFailure = false;

const char* LevelWord(LogVariant variant, int level)
{
    static constexpr const char* kOrvelle[] = {"[DEBUG]", "[INFO]", "[WARN]", "[ERROR]", "[FATAL]"};
    static constexpr const char* kServer[] = {"[TRACE]", "[DEBUG]", "[INFO]", "[WARN]", "[ERROR]", "[FATAL]"};
    if (variant == LogVariant::Orvelle)
        return (level >= 0 && level <= 4) ? kOrvelle[level] : "";
    return (level >= 1 && level <= 6) ? kServer[level - 1] : "";
}

char* PutDigits(char* p, int value, int width)
{
    for (int i = width - 1; i >= 0; --i) {
        p[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return p + width;
}

// Level word and "YYYY-MM-DD hh:mm:ss.mmm: ". The broken-down time is cached per second and
// thread: localtime_r is the dearest step of a log call otherwise.
int FormatPrefix(char (&out)[LOG_PREFIX_BUFFER], LogVariant variant, int level)
{
    thread_local time_t cachedSecond = -1;
    thread_local std::tm cachedTm{};

    const auto now = std::chrono::system_clock::now();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    const time_t second = static_cast<time_t>(ms / 1000);
    if (second != cachedSecond) {
        localtime_r(&second, &cachedTm);
        cachedSecond = second;
    }

    const char* word = LevelWord(variant, level);
    const size_t wordLen = std::strlen(word);
    std::memcpy(out, word, wordLen);
    char* p = out + wordLen;
    p = PutDigits(p, cachedTm.tm_year + 1900, 4);
    *p++ = '-';
    p = PutDigits(p, cachedTm.tm_mon + 1, 2);
    *p++ = '-';
    p = PutDigits(p, cachedTm.tm_mday, 2);
    *p++ = ' ';
    p = PutDigits(p, cachedTm.tm_hour, 2);
    *p++ = ':';
    p = PutDigits(p, cachedTm.tm_min, 2);
    *p++ = ':';
    p = PutDigits(p, cachedTm.tm_sec, 2);
    *p++ = '.';
    p = PutDigits(p, static_cast<int>(ms % 1000), 3);
    *p++ = ':';
    *p++ = ' ';
    *p = '\0';
    return static_cast<int>(p - out);
}

// Lines from before the first log queue. The program reads its configuration and language table
// before it starts the link, and a broken file must still show in the log; so those lines wait
// here, formatted with their time, and the first queue takes them as one node ahead of the rest.
// Bounded: a file that fails on every line must not grow the start-up without limit.
struct HeldLines {
    std::mutex lock;
    std::string text;
    int count = 0;
    uint64_t dropped = 0;
};
HeldLines g_held;
// True until the first queue is attached; after that a missing queue means exit. Changed only
// under g_held.lock, read without it on the fast path of WriteLog.
std::atomic<bool> g_holding{true};

// False when holding is over (the queue came meanwhile): the caller then takes the queue path.
bool HoldLine(LogVariant variant, int level, const char* prefix, int prefixLen, const char* message, int messageLen)
{
    std::lock_guard lock(g_held.lock);
    if (!g_holding.load(std::memory_order_relaxed))
        return false;
    std::string line;
    line.reserve(static_cast<size_t>(prefixLen + messageLen + 2));
    line.append(prefix, static_cast<size_t>(prefixLen)).append(message, static_cast<size_t>(messageLen)).append("\r\n");
    platform::DebugOutput(line);
    if (variant == LogVariant::Orvelle && level < g_levelFilter.load(std::memory_order_relaxed))
        return true;
    if (g_held.count < LOG_HELD_LINES_MAX) {
        g_held.text += line;
        ++g_held.count;
    } else {
        ++g_held.dropped;
    }
    return true;
}

// Called with g_held.lock held, before the queue is visible to WriteLog, so nothing overtakes.
void ReleaseHeldLines(RingQueue* queue)
{
    if (g_held.dropped > 0) {
        const LogVariant variant = g_variant.load(std::memory_order_relaxed);
        char prefix[LOG_PREFIX_BUFFER];
        const int prefixLen =
            FormatPrefix(prefix, variant, variant == LogVariant::Orvelle ? int{KVO_LOG_WARN} : int{SRV_LOG_WARN});
        char note[LOG_MESSAGE_BUFFER];
        const int noteLen = std::snprintf(note, sizeof note,
                                          "WriteLog() %llu lines dropped before the log started, the first %d kept",
                                          static_cast<unsigned long long>(g_held.dropped), g_held.count);
        g_held.text.append(prefix, static_cast<size_t>(prefixLen)).append(note, static_cast<size_t>(noteLen)).append("\r\n");
    }
    std::string text;
    text.swap(g_held.text);
    const uint64_t lines = static_cast<uint64_t>(g_held.count) + (g_held.dropped > 0 ? 1 : 0);
    g_held.count = 0;
    g_held.dropped = 0;
    if (text.empty())
        return;
    // One node for all of them: the queue has room for a few lines only until its writer runs.
    pMemNode node = nullptr;
    if (Mem_Alloc(&node, static_cast<int>(text.size()) + 1, __FILE__) != 0) {
        g_dropped.fetch_add(lines, std::memory_order_relaxed);
        return;
    }
    std::memcpy(node->data, text.data(), text.size());
    node->data[text.size()] = '\0';
    node->data_len = static_cast<int>(text.size());
    node->stop_tag = 0;
    if (EnRingQ(queue, node) != 0) {
        Mem_Free(node, __FILE__, __func__, __LINE__);
        g_dropped.fetch_add(lines, std::memory_order_relaxed);
    }
}

struct InFlight {
    InFlight() { g_inFlight.fetch_add(1, std::memory_order_seq_cst); }
    ~InFlight() { g_inFlight.fetch_sub(1, std::memory_order_seq_cst); }
    InFlight(const InFlight&) = delete;
    InFlight& operator=(const InFlight&) = delete;
};

} // namespace

void SetLogVariant(LogVariant variant) { g_variant.store(variant); }
LogVariant GetLogVariant() { return g_variant.load(); }
void SetLogLevelFilter(int level) { g_levelFilter.store(level, std::memory_order_relaxed); }
int GetLogLevelFilter() { return g_levelFilter.load(std::memory_order_relaxed); }
uint64_t LogDroppedLineCount() { return g_dropped.load(); }

void AttachLogQueue(RingQueue* queue)
{
    std::lock_guard lock(g_held.lock);
    const bool first = queue != nullptr && g_holding.load(std::memory_order_relaxed);
    if (first)
        ReleaseHeldLines(queue);
    // Published before holding ends, all under the lock: a call that found no queue either had
    // its line in the released block or finds the queue once it gets the lock.
    g_logQueue.store(queue, std::memory_order_seq_cst);
    if (first)
        g_holding.store(false, std::memory_order_seq_cst);
}

void DetachLogQueue()
{
    // Closing the writer detaches the queue and waits until no WriteLog is half-way through.
    CloseLogWriter();
}

int WriteLog(int level, const char* format, ...)
{
    // Counted before the queue is read: the closing side clears the queue first and then waits
    // for this count to drop, so a call either sees no queue or is waited for.
    InFlight inFlight;
    RingQueue* queue = g_logQueue.load(std::memory_order_seq_cst);
    if (!queue && !g_holding.load(std::memory_order_seq_cst))
        return 0;
    const LogVariant variant = g_variant.load(std::memory_order_relaxed);

    char prefix[LOG_PREFIX_BUFFER];
    const int prefixLen = FormatPrefix(prefix, variant, level);

    char message[LOG_MESSAGE_BUFFER];
    va_list args;
    va_start(args, format);
    const int formatted = std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    if (formatted < 1)
        return formatted;
    const int messageLen = formatted > LOG_MESSAGE_MAX ? LOG_MESSAGE_MAX : formatted;

    if (!queue) {
        if (HoldLine(variant, level, prefix, prefixLen, message, messageLen))
            return 0;
        queue = g_logQueue.load(std::memory_order_seq_cst);
        if (!queue)
            return 0;
    }

    pMemNode node = nullptr;
    if (Mem_Alloc(&node, LOG_NODE_SIZE, __FILE__) != 0) {
        g_dropped.fetch_add(1, std::memory_order_relaxed);
        if (variant == LogVariant::Server || t_reportingAllocFailure)
            return 0;
        // Report the failure once; if the pool is still exhausted the report itself is dropped
        // instead of trying again without end.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        t_reportingAllocFailure = true;
        WriteLog(KVO_LOG_ERROR, "WriteLog() call Mem_Alloc() failed");
        t_reportingAllocFailure = false;
        return 0;
    }

    char* p = node->data;
    std::memcpy(p, prefix, static_cast<size_t>(prefixLen));
    std::memcpy(p + prefixLen, message, static_cast<size_t>(messageLen));
    p[prefixLen + messageLen] = '\r';
    p[prefixLen + messageLen + 1] = '\n';
    p[prefixLen + messageLen + 2] = '\0';
    node->data_len = prefixLen + messageLen + 2;
    node->stop_tag = 0;
    if (node->data_len <= 0) {
        Mem_Free(node, __FILE__, __func__, __LINE__);
        WriteLog(KVO_LOG_ERROR, "WriteLog() pMemNode->data_len <= 0");
        return 0;
    }

    platform::DebugOutput(std::string_view(node->data, static_cast<size_t>(node->data_len)));

    if (variant == LogVariant::Orvelle && level < g_levelFilter.load(std::memory_order_relaxed)) {
        if (Mem_Free(node, __FILE__, __func__, __LINE__) != 0)
            WriteDirect("WriteLog() call Mem_Free() failed");
        return 0;
    }

    if (t_onWriterThread) {
        if (EnRingQ(queue, node) != 0) {
            Mem_Free(node, __FILE__, __func__, __LINE__);
            g_dropped.fetch_add(1, std::memory_order_relaxed);
        }
        return 0;
    }
    EnRingQWait(queue, node);
    return 0;
}
