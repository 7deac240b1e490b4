#include "ConfigWriter.h"

#include "IniFile.h"
#include "KVOLog.h"

#include <algorithm>

CConfigWriter::CConfigWriter() : m_thread(&CConfigWriter::ThreadWriteConfigFunc, this) {}

CConfigWriter::~CConfigWriter()
{
    {
        std::lock_guard lock(m_lock);
        m_bStop = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void CConfigWriter::Write(const std::string& file, const std::string& section, const std::string& key,
                          const std::string& value)
{
    {
        std::lock_guard lock(m_lock);
        // The one being written keeps its value; a waiting one takes the newer value in place.
        const auto waiting = std::find_if(m_jobs.begin() + (m_bWriting ? 1 : 0), m_jobs.end(),
                                          [&](const Job& job) { return job.Same(file, section, key); });
        if (waiting != m_jobs.end()) {
            waiting->value = value;
            return;
        }
        m_jobs.push_back(Job{file, section, key, value});
    }
    m_wake.notify_one();
}

bool CConfigWriter::Pending(const std::string& file, const std::string& section, const std::string& key,
                            std::string& value) const
{
    std::lock_guard lock(m_lock);
    for (auto job = m_jobs.rbegin(); job != m_jobs.rend(); ++job) {
        if (job->Same(file, section, key)) {
            value = job->value;
            return true;
        }
    }
    return false;
}

void CConfigWriter::Flush()
{
    std::unique_lock lock(m_lock);
    m_idle.wait(lock, [this] { return m_jobs.empty(); });
}

void CConfigWriter::ThreadWriteConfigFunc()
{
    std::unique_lock lock(m_lock);
    for (;;) {
        m_wake.wait(lock, [this] { return m_bStop || !m_jobs.empty(); });
        if (m_jobs.empty()) {
            WriteLog(KVO_LOG_INFO, "CConfigWriter::ThreadWriteConfigFunc() Exit!");
            return;
        }
        const Job job = m_jobs.front();
        m_bWriting = true;
        lock.unlock();
        if (CIniFile::WriteString(job.section, job.key, job.value, job.file) != 0)
            WriteLog(KVO_LOG_ERROR, "CConfigWriter [%s] %s = %s not written to %s", job.section.c_str(),
                     job.key.c_str(), job.value.c_str(), job.file.c_str());
        lock.lock();
        m_jobs.pop_front();
        m_bWriting = false;
        if (m_jobs.empty())
            m_idle.notify_all();
    }
}
