#pragma once
// WriteLog, the one logging call of both programs. It formats on the caller's thread, puts the
// line into a pool node and hands it to the writer thread through the log queue, so no caller
// waits on file I/O.

#include <cstddef>
#include <cstdint>

struct RingQueue;

// Levels of Orvelle. The level filter (Log_Level) drops lines below it.
enum KVOLogLevel : int {
    KVO_LOG_DEBUG = 0,
    KVO_LOG_INFO = 1,
    KVO_LOG_WARN = 2,
    KVO_LOG_ERROR = 3,
    KVO_LOG_FATAL = 4,
};

// Levels of OrvelleServer, which has no filter.
enum KVOServerLogLevel : int {
    SRV_LOG_TRACE = 1,
    SRV_LOG_DEBUG = 2,
    SRV_LOG_INFO = 3,
    SRV_LOG_WARN = 4,
    SRV_LOG_ERROR = 5,
    SRV_LOG_FATAL = 6,
};

enum class LogVariant { Orvelle, Server };

constexpr int LOG_PREFIX_BUFFER = 56;
constexpr int LOG_MESSAGE_BUFFER = 968;
constexpr int LOG_MESSAGE_MAX = 967;
constexpr int LOG_NODE_SIZE = 1024;
constexpr int LOG_BATCH = 32;
constexpr int SERVER_LOG_ROLL_CHECK_LINES = 1024;
constexpr long SERVER_LOG_ROLL_SIZE = 5242879;
// Lines logged before the first log queue exists (configuration, language table) are kept in
// memory, this many at most, and go first into that queue; later ones are counted in one note.
constexpr int LOG_HELD_LINES_MAX = 256;

// Returns 0, or the formatting result when it is below 1 (nothing is logged then).
int WriteLog(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Where Orvelle's writer thread puts the lines: the daily application log in the program.
class ILogSink {
public:
    virtual ~ILogSink() = default;
    // The source file and line that the following lines are written from.
    virtual void SetSource(const char* file, int line) = 0;
    virtual void Append(const char* data, size_t len) = 0;
    virtual void Flush() = 0;
};

void SetLogVariant(LogVariant variant);
LogVariant GetLogVariant();
// Orvelle only: lines whose level is below `level` are formatted and then discarded.
void SetLogLevelFilter(int level);
int GetLogLevelFilter();

// The data queue manager hands the log queue over when it creates and before it destroys it.
// The first queue attached also receives the lines held until then, ahead of any other line,
// with their own time stamps. A program sets its variant before its first line.
void AttachLogQueue(RingQueue* queue);
void DetachLogQueue();

// Starts Orvelle's writer thread on the attached log queue. The caller keeps the sink, which
// must outlive CloseLogWriter. 0 success, -1 no log queue or a writer already runs.
int StartLogWriter(ILogSink* sink);
// Starts the launcher's writer thread: `currentPath` is opened for appending; when it grows past
// SERVER_LOG_ROLL_SIZE it becomes `backupPath` and a new current file begins.
// 0 success (also when the file cannot be opened: lines are then dropped), -1 as above.
int StartServerLogWriter(const char* currentPath, const char* backupPath);
// Stops taking lines, lets the writer write every line already queued, and ends its thread.
// Safe to call when no writer runs and more than once.
void CloseLogWriter();

// Lines lost because the pool had no node for them.
uint64_t LogDroppedLineCount();
