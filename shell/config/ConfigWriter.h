#pragma once
// Writes settings keys to their INI file on a thread of its own, in the order they were set, so
// that the thread that changes a setting (the UI thread, at every slider step) never waits for
// the disk. A key set again before its write started is written once, with the newest value.
// Until a key is on disk, Pending tells its value.

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

class CConfigWriter {
public:
    CConfigWriter();
    // Writes what is queued, then ends the thread.
    ~CConfigWriter();
    CConfigWriter(const CConfigWriter&) = delete;
    CConfigWriter& operator=(const CConfigWriter&) = delete;

    void Write(const std::string& file, const std::string& section, const std::string& key, const std::string& value);
    // True, with the value, while a write of this key is queued or running.
    bool Pending(const std::string& file, const std::string& section, const std::string& key, std::string& value) const;
    // Returns once every write queued before the call is done.
    void Flush();

private:
    struct Job {
        std::string file;
        std::string section;
        std::string key;
        std::string value;
        bool Same(const std::string& f, const std::string& s, const std::string& k) const
        {
            return file == f && section == s && key == k;
        }
    };
    void ThreadWriteConfigFunc();

    mutable std::mutex m_lock;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Job> m_jobs;     // the front one is being written while m_bWriting is set
    bool m_bWriting = false;
    bool m_bStop = false;
    std::thread m_thread;
};
