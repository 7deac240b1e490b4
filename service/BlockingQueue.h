#pragma once
// Bounded FIFO of pointers shared between threads. Producers wait while it is full, consumers
// while it is empty; the timed forms give up after a limit. Null pointers are never stored, so a
// null result always means "nothing there". The slots are allocated once, so passing pointers
// through never touches the heap.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

template <typename T>
class BlockingQueue {
public:
    explicit BlockingQueue(int capacity)
        : capacity(capacity > 0 ? capacity : 1), m_slots(static_cast<size_t>(this->capacity), nullptr)
    {
    }
    BlockingQueue(const BlockingQueue&) = delete;
    BlockingQueue& operator=(const BlockingQueue&) = delete;

    // Stores p, waiting without limit for room. Null does nothing.
    void offer(T* p)
    {
        if (p == nullptr)
            return;
        std::unique_lock lock(m_lock);
        notFull.wait(lock, [this] { return m_count < capacity; });
        pushBack(p);
        lock.unlock();
        notEmpty.notify_one();
    }

    // Stores p, waiting at most `milliseconds` for room. 1 when p was not stored; 0 when it was
    // stored or p is null.
    int offer(T* p, int milliseconds)
    {
        if (p == nullptr)
            return 0;
        std::unique_lock lock(m_lock);
        const auto hasRoom = [this] { return m_count < capacity; };
        if (!hasRoom() && milliseconds > 0)
            notFull.wait_for(lock, std::chrono::milliseconds(milliseconds), hasRoom);
        if (!hasRoom())
            return 1;
        pushBack(p);
        lock.unlock();
        notEmpty.notify_one();
        return 0;
    }

    // Takes the oldest pointer, waiting without limit for one.
    T* take()
    {
        std::unique_lock lock(m_lock);
        notEmpty.wait(lock, [this] { return m_count > 0; });
        return popFront(lock);
    }

    // Takes the oldest pointer, waiting at most `milliseconds`; null when none came.
    T* poll(int milliseconds)
    {
        std::unique_lock lock(m_lock);
        const auto hasItem = [this] { return m_count > 0; };
        if (!hasItem() && milliseconds > 0)
            notEmpty.wait_for(lock, std::chrono::milliseconds(milliseconds), hasItem);
        if (!hasItem())
            return nullptr;
        return popFront(lock);
    }

    int size()
    {
        std::lock_guard lock(m_lock);
        return m_count;
    }

    const int capacity;

private:
    void pushBack(T* p)
    {
        m_slots[static_cast<size_t>((m_head + m_count) % capacity)] = p;
        ++m_count;
    }

    T* popFront(std::unique_lock<std::mutex>& lock)
    {
        T* p = m_slots[static_cast<size_t>(m_head)];
        m_head = (m_head + 1) % capacity;
        --m_count;
        lock.unlock();
        notFull.notify_one();
        return p;
    }

    std::mutex m_lock;
    std::vector<T*> m_slots;
    int m_head = 0;   // oldest pointer
    int m_count = 0;
    std::condition_variable notEmpty;
    std::condition_variable notFull;
};
