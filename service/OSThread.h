#pragma once
// Base of the long-lived workers. Start runs Run on a new thread; Stop raises the stop flag and
// joins. The flag is only looked at between commands, so a worker blocked on an empty queue ends
// through an exit record put into that queue.

#include <atomic>
#include <string>
#include <thread>

class ObjectManager;

class OSThread {
public:
    explicit OSThread(std::string name = "KVO_Thread");
    // Joins a thread that is still there; its owner must have ended it first (exit record).
    virtual ~OSThread();
    OSThread(const OSThread&) = delete;
    OSThread& operator=(const OSThread&) = delete;

    virtual void Start();
    virtual void Stop();
    virtual int Run() = 0;
    // Waits for Run to return without raising the stop flag (after an exit record).
    void Join();

    const std::string& Name() const { return m_name; }
    bool IsStarted() const { return m_thread.joinable(); }

protected:
    std::atomic<bool> m_stop{true};

private:
    std::string m_name;
    std::thread m_thread;
};

// A worker whose body repeats one processing step of its owner until the step returns false.
template <class Owner, bool (Owner::*Step)()>
class OSOwnerThread : public OSThread {
public:
    OSOwnerThread(std::string name, Owner* owner) : OSThread(std::move(name)), m_owner(owner) {}

    int Run() override
    {
        while (!m_stop.load()) {
            if (!(m_owner->*Step)())
                return 0;
        }
        return 0;
    }

private:
    Owner* m_owner;
};

// Ends a worker that consumes `queue`: an exit record behind the commands already queued, which
// still run, then the join.
void StopWorker(OSThread* thread, ObjectManager& queue);
