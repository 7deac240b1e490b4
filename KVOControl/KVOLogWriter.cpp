// The writer thread of the log: drains the log queue in batches into the sink (Orvelle) or into
// the launcher's own file with size-based roll-over (OrvelleServer).

#include "KVOLog.h"

#include "KVOLogState.h"
#include "KVOMemPool.h"
#include "KVORingQueue.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

using namespace kvolog;

namespace {

struct LogWriterContext {
    LogVariant variant = LogVariant::Orvelle;
    RingQueue* queue = nullptr;
    std::string currentPath;
    std::string backupPath;
    int linesSinceCheck = 0;
    std::atomic<bool> running{false};
    std::thread thread;
};

std::mutex g_controlLock;  // start and close
std::unique_ptr<LogWriterContext> g_ctx;

// The sink, or the launcher's file, guarded for the rare writes that bypass the queue.
std::mutex g_sinkLock;
ILogSink* g_sink = nullptr;
FILE* g_file = nullptr;

const char* const kSourceName = "KVOLog.cpp";

void FreeNode(pMemNode node)
{
    if (Mem_Free(node, __FILE__, __func__, __LINE__) != 0)
        WriteDirect("ThreadWriteLogFunc() call Mem_Free() failed");
}

// Launcher: a current file grown too large becomes the only backup; true when it did.
bool RollOverIfOversized(const std::string& currentPath, const std::string& backupPath)
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(currentPath, ec);
    if (ec || size <= static_cast<uintmax_t>(SERVER_LOG_ROLL_SIZE))
        return false;
    std::remove(backupPath.c_str());
    std::rename(currentPath.c_str(), backupPath.c_str());
    return true;
}

// Once enough lines were written since the last look, start a new file when the current one has
// grown too large.
void CheckRollOver(LogWriterContext* ctx)
{
    if (ctx->linesSinceCheck < SERVER_LOG_ROLL_CHECK_LINES)
        return;
    ctx->linesSinceCheck = 0;
    std::lock_guard lock(g_sinkLock);
    // The open file may be renamed: it then goes on as the backup until it is closed.
    if (!g_file || !RollOverIfOversized(ctx->currentPath, ctx->backupPath))
        return;
    std::fclose(g_file);
    g_file = std::fopen(ctx->currentPath.c_str(), "a+");
}

void WriteBatch(LogWriterContext* ctx, pMemNode* nodes, int count)
{
    if (count <= 0)
        return;
    int nullEntries = 0;
    int stopNodes = 0;
    int written = 0;
    {
        std::lock_guard lock(g_sinkLock);
        for (int i = 0; i < count; ++i) {
            pMemNode node = nodes[i];
            if (!node) {
                ++nullEntries;
                continue;
            }
            if (node->stop_tag == 1) {
                ++stopNodes;
                continue;
            }
            if (ctx->variant == LogVariant::Orvelle) {
                if (g_sink) {
                    g_sink->SetSource(kSourceName, __LINE__);
                    g_sink->Append(node->data, static_cast<size_t>(node->data_len));
                }
            } else if (g_file) {
                std::fwrite(node->data, 1, static_cast<size_t>(node->data_len), g_file);
            }
            ++written;
        }
        if (written > 0) {
            if (g_sink && ctx->variant == LogVariant::Orvelle)
                g_sink->Flush();
            if (g_file)
                std::fflush(g_file);
        }
    }
    // Nodes go back outside the sink lock: a failed free reports through the sink.
    for (int i = 0; i < count; ++i) {
        if (nodes[i])
            FreeNode(nodes[i]);
    }
    if (ctx->variant == LogVariant::Server) {
        ctx->linesSinceCheck += written;
        CheckRollOver(ctx);
    }
    for (int i = 0; i < nullEntries; ++i)
        WriteLog(ctx->variant == LogVariant::Orvelle ? int{KVO_LOG_ERROR} : int{SRV_LOG_ERROR},
                 "ThreadWriteLogFunc() pMemNode = Null !");
    if (stopNodes > 0 && ctx->variant == LogVariant::Server)
        WriteLog(SRV_LOG_ERROR, "ThreadWriteLogFunc() pMemNode->stop_tag = 1!");
}

void ThreadWriteLogFunc(LogWriterContext* ctx)
{
    t_onWriterThread = true;
    pMemNode nodes[LOG_BATCH];
    while (ctx->running.load(std::memory_order_acquire)) {
        int count = 0;
        // The launcher's writer sleeps until a line comes: a launcher idles for days and every
        // wake-up costs. Closing clears the flag and wakes the wait.
        const int timeoutMs = ctx->variant == LogVariant::Server ? 0 : 1000;
        DeRingQTimedWhile(ctx->queue, nodes, LOG_BATCH, &count, timeoutMs,
                          [ctx] { return ctx->running.load(std::memory_order_acquire); });
        WriteBatch(ctx, nodes, count);
        // Orvelle paces itself so a burst of lines costs one flush per batch, not per line. After
        // a pass that found nothing there is no burst to gather, and the wait itself paces.
        if (ctx->variant == LogVariant::Orvelle && count > 0 && ctx->running.load(std::memory_order_acquire))
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // Closing: nothing new enters the queue, but lines already queued and calls already on
    // their way are still written.
    for (;;) {
        int count = 0;
        DeRingQ(ctx->queue, nodes, LOG_BATCH, &count);
        if (count > 0) {
            WriteBatch(ctx, nodes, count);
            continue;
        }
        if (g_inFlight.load(std::memory_order_seq_cst) == 0 && RingQIsEmpty(ctx->queue))
            break;
        std::this_thread::yield();
    }
}

int StartWriter(std::unique_ptr<LogWriterContext> ctx)
{
    RingQueue* queue = g_logQueue.load(std::memory_order_seq_cst);
    if (!queue || g_ctx)
        return -1;
    // A program that returns from main with the writer still running would otherwise destroy a
    // joinable thread; closing at exit also writes the last lines.
    static std::once_flag closeAtExit;
    std::call_once(closeAtExit, [] { std::atexit(CloseLogWriter); });
    ctx->queue = queue;
    ctx->running.store(true);
    SetLogVariant(ctx->variant);
    LogWriterContext* raw = ctx.get();
    g_ctx = std::move(ctx);
    g_ctx->thread = std::thread(ThreadWriteLogFunc, raw);
    return 0;
}

} // namespace

void kvolog::WriteDirect(const char* text)
{
    std::lock_guard lock(g_sinkLock);
    if (g_sink) {
        g_sink->Append(text, std::strlen(text));
        g_sink->Append("\r\n", 2);
        g_sink->Flush();
    } else if (g_file) {
        std::fprintf(g_file, "%s\r\n", text);
        std::fflush(g_file);
    }
}

int StartLogWriter(ILogSink* sink)
{
    std::lock_guard control(g_controlLock);
    if (g_ctx)
        return -1;
    {
        std::lock_guard lock(g_sinkLock);
        g_sink = sink;
    }
    auto ctx = std::make_unique<LogWriterContext>();
    ctx->variant = LogVariant::Orvelle;
    const int rc = StartWriter(std::move(ctx));
    if (rc != 0) {
        std::lock_guard lock(g_sinkLock);
        g_sink = nullptr;
    }
    return rc;
}

int StartServerLogWriter(const char* currentPath, const char* backupPath)
{
    std::lock_guard control(g_controlLock);
    if (g_ctx || !currentPath || !backupPath)
        return -1;
    auto ctx = std::make_unique<LogWriterContext>();
    ctx->variant = LogVariant::Server;
    ctx->currentPath = currentPath;
    ctx->backupPath = backupPath;
    {
        std::lock_guard lock(g_sinkLock);
        // The launcher writes a dozen lines a run, far fewer than a roll-over check needs, so a
        // file left oversized by earlier runs rolls over here or it would grow for ever.
        RollOverIfOversized(currentPath, backupPath);
        // A file that cannot be opened leaves g_file null: lines are then taken and dropped.
        g_file = std::fopen(currentPath, "ab+");
    }
    const int rc = StartWriter(std::move(ctx));
    if (rc != 0) {
        std::lock_guard lock(g_sinkLock);
        if (g_file)
            std::fclose(g_file);
        g_file = nullptr;
    }
    return rc;
}

void CloseLogWriter()
{
    std::lock_guard control(g_controlLock);
    RingQueue* queue = g_logQueue.exchange(nullptr, std::memory_order_seq_cst);

    if (g_ctx) {
        // The stop node goes in while the writer still runs, so that it is taken (and freed)
        // before the writer's last look at an empty queue. Clearing the flag and waking the wait
        // then end the writer, also when no node could be had for it.
        pMemNode stop = nullptr;
        if (Mem_Alloc(&stop, 128, __FILE__) == 0) {
            stop->stop_tag = 1;
            stop->data_len = 0;
            if (EnRingQ(g_ctx->queue, stop) != 0)
                Mem_Free(stop, __FILE__, __func__, __LINE__);
        }
        g_ctx->running.store(false, std::memory_order_release);
        RingQWake(g_ctx->queue);
        if (g_ctx->thread.joinable())
            g_ctx->thread.join();
        g_ctx.reset();
    } else if (queue) {
        // No writer: lines queued so far have nowhere to go; give their nodes back, including
        // those of calls that were waiting for room.
        pMemNode nodes[LOG_BATCH];
        for (;;) {
            int count = 0;
            DeRingQ(queue, nodes, LOG_BATCH, &count);
            for (int i = 0; i < count; ++i) {
                if (nodes[i])
                    Mem_Free(nodes[i], __FILE__, __func__, __LINE__);
            }
            if (count == 0 && g_inFlight.load(std::memory_order_seq_cst) == 0)
                break;
            if (count == 0)
                std::this_thread::yield();
        }
    }

    std::lock_guard lock(g_sinkLock);
    g_sink = nullptr;
    if (g_file) {
        std::fclose(g_file);
        g_file = nullptr;
    }
}
