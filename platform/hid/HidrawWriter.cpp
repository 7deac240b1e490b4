#include "HidrawWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace platform {

// Shared by the caller and the write thread, so that whichever ends last frees it.
struct HidrawWriter::State {
    std::mutex mutex;
    std::condition_variable changed;
    int fd = -1;
    std::vector<uint8_t> report;
    bool pending = false;   // a report waits for the thread
    bool busy = false;      // the thread is in write(2)
    bool quit = false;
    uint64_t started = 0;   // writes taken by the thread
    uint64_t finished = 0;  // writes returned from the kernel
    int result = 0;
    int error = 0;

    void Run()
    {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [this] { return pending || quit; });
            if (quit)
                break;
            pending = false;
            busy = true;
            ++started;
            const std::vector<uint8_t> bytes = report;
            lock.unlock();
            ssize_t n;
            do {
                n = ::write(fd, bytes.data(), bytes.size());
            } while (n < 0 && errno == EINTR);
            const int writeError = n < 0 ? errno : 0;
            lock.lock();
            busy = false;
            ++finished;
            result = static_cast<int>(n);
            error = writeError;
            changed.notify_all();
        }
        if (fd >= 0)
            ::close(fd);
    }
};

HidrawWriter::HidrawWriter(int fd) : m_state(std::make_shared<State>())
{
    m_state->fd = fd >= 0 ? ::fcntl(fd, F_DUPFD_CLOEXEC, 0) : -1;
    std::thread([state = m_state] { state->Run(); }).detach();
}

HidrawWriter::~HidrawWriter()
{
    std::lock_guard lock(m_state->mutex);
    m_state->quit = true;
    m_state->changed.notify_all();
}

int HidrawWriter::Write(const uint8_t* data, size_t length, int limitMs, int& error)
{
    State& s = *m_state;
    std::unique_lock lock(s.mutex);
    if (s.fd < 0) {
        error = EBADF;
        return -1;
    }
    if (s.busy || s.pending) {
        error = EBUSY;
        return -1;
    }
    s.report.assign(data, data + length);
    s.pending = true;
    const uint64_t mine = s.started + 1;
    s.changed.notify_all();
    const bool done = s.changed.wait_for(lock, std::chrono::milliseconds(limitMs),
                                         [&] { return s.finished >= mine; });
    if (!done) {
        error = ETIMEDOUT;
        return -1;
    }
    error = s.error;
    return s.result;
}

} // namespace platform
