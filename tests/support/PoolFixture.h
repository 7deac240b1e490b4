#pragma once
// Pool and data queues for one test, torn down in the order the link uses at exit.

#include "KVODataQueueMgr.h"
#include "KVOLog.h"
#include "KVOMemPool.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class PoolFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(Mem_CreatePool(), 0);
        ASSERT_EQ(CreateDataQueueMgr(), 0);
        SetLogVariant(LogVariant::Orvelle);
        SetLogLevelFilter(KVO_LOG_INFO);
    }
    void TearDown() override
    {
        CloseLogWriter();
        DestroyDataQueueMgr();
        Mem_DestroyPool();
    }
};

// Keeps every line it is given; thread-safe so tests can read while the writer writes.
class MemorySink final : public ILogSink {
public:
    void SetSource(const char* file, int line) override
    {
        std::lock_guard lock(m_mutex);
        m_lastSource = std::string(file) + ":" + std::to_string(line);
    }
    void Append(const char* data, size_t len) override
    {
        std::lock_guard lock(m_mutex);
        m_text.append(data, len);
    }
    void Flush() override
    {
        std::lock_guard lock(m_mutex);
        ++m_flushes;
    }

    std::string Text() const
    {
        std::lock_guard lock(m_mutex);
        return m_text;
    }
    std::vector<std::string> Lines() const
    {
        std::vector<std::string> lines;
        const std::string text = Text();
        size_t start = 0;
        for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
            lines.push_back(text.substr(start, end + 2 - start));
        return lines;
    }
    int Flushes() const
    {
        std::lock_guard lock(m_mutex);
        return m_flushes;
    }
    std::string LastSource() const
    {
        std::lock_guard lock(m_mutex);
        return m_lastSource;
    }

private:
    mutable std::mutex m_mutex;
    std::string m_text;
    std::string m_lastSource;
    int m_flushes = 0;
};

// Polls `done` until it holds or `limit` passes.
template <typename Pred>
bool WaitUntil(Pred done, std::chrono::milliseconds limit = std::chrono::milliseconds(5000))
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}
