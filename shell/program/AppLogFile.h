#pragma once
// The daily application log: "<install folder>/log/YYYYMMDD.log", appended to, with files older
// than the configured number of days removed when it opens. It is the sink of the log writer
// thread, so Append and Flush run there while Open and Close run on the UI thread.

#include "KVOLog.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <string>

class CAppLogFile final : public ILogSink {
public:
    using TimePoint = std::chrono::system_clock::time_point;

    // Lines that arrive before Open are kept (up to this many bytes) and written first, so the
    // device link's start-up lines are not lost.
    static constexpr size_t kEarlyBufferMax = 256 * 1024;

    CAppLogFile() = default;
    ~CAppLogFile() override;
    CAppLogFile(const CAppLogFile&) = delete;
    CAppLogFile& operator=(const CAppLogFile&) = delete;

    // Creates "<installFolder>/log" with its parents, closes a file opened before, opens the file
    // of `now`'s local day for appending and deletes old logs. False when the file cannot be
    // opened; lines are then dropped.
    bool Open(const std::string& installFolder, int deleteDays, TimePoint now = std::chrono::system_clock::now());
    void Close();
    // The open file, or empty.
    std::string GetPath() const;

    void SetSource(const char* file, int line) override;
    void Append(const char* data, size_t len) override;
    void Flush() override;

    // "YYYYMMDD.log" for a local day.
    static std::string DailyFileName(const std::tm& localDay);
    // Deletes the "*.log" files (no folders) of `folder` dated `deleteDays` or more calendar days
    // before `now`'s day; `keep` is never deleted. A file named after its day is dated by its
    // name, any other by its last change. Returns how many were deleted.
    static int DeleteOldLogs(const std::string& folder, int deleteDays, TimePoint now, const std::string& keep = {});

private:
    mutable std::mutex m_mutex;
    FILE* m_file = nullptr;
    std::string m_path;
    std::string m_early;
    bool m_bEarlyOverflow = false;
    bool m_bBuffering = true; // until the first Open; afterwards lines without a file are dropped
};
