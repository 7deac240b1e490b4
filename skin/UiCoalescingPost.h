#pragma once
// Hands the newest of a stream of values to the UI thread. The remote moves far more often than
// the UI thread can draw; a busy UI thread must draw the latest position, not work through stale
// ones. Post may be called from any thread: it keeps the value and gets at most one call on its
// way to the UI thread, and that call takes whatever is newest when it runs.
//
// How the call travels is the owner's choice (`send`): a window sends itself a message through
// DeliverToWindow, so that a call for a window that is gone is dropped, and the call keeps its
// place among the window's other messages.

#include "UiThread.h"

#include <functional>
#include <mutex>
#include <utility>

template <class T>
class UiCoalescingPost {
public:
    // Gets one call on its way to the UI thread, which calls Take; false when it could not be sent.
    using Send = std::function<bool()>;

    explicit UiCoalescingPost(Send send) : m_send(std::move(send)) {}

    UiCoalescingPost(const UiCoalescingPost&) = delete;
    UiCoalescingPost& operator=(const UiCoalescingPost&) = delete;

    // Any thread: `value` becomes the newest. False when a call was due and could not be sent.
    bool Post(T value)
    {
        return Update([&value](T& newest, bool) { newest = std::move(value); });
    }

    // As Post, with the newest value changed in place by `change(T& newest, bool waiting)`;
    // `waiting` says a call is on its way that has not taken the newest value yet, so it still
    // carries what earlier posts asked for. A call is sent unless one is already on its way; on the
    // UI thread one is always sent, which takes the value at once.
    template <class Change>
    bool Update(Change&& change)
    {
        {
            std::lock_guard lock(m_lock);
            change(m_newest, m_bWaiting);
            if (m_bWaiting && !IsUiThread())
                return true;
            m_bWaiting = true;
        }
        if (m_send())
            return true;
        std::lock_guard lock(m_lock);
        m_bWaiting = false;
        return false;
    }

    // Any thread: the value last posted (it stays after a call took it).
    T Newest() const
    {
        std::lock_guard lock(m_lock);
        return m_newest;
    }

    // UI thread, in the call that was sent: the newest value; the next Post sends a call again.
    // `spend(T& kept)` changes what stays behind, for a one-off request this call carries out.
    template <class Spend>
    T Take(Spend&& spend)
    {
        std::lock_guard lock(m_lock);
        T taken = m_newest;
        spend(m_newest);
        m_bWaiting = false;
        return taken;
    }
    T Take()
    {
        return Take([](T&) {});
    }

    // Any thread: the next Post sends its own call even while one is on its way, so that the value
    // reaches the UI thread after whatever the caller sends there meanwhile (a hide, say) instead
    // of riding on the earlier call.
    void Restart()
    {
        std::lock_guard lock(m_lock);
        m_bWaiting = false;
    }

private:
    Send m_send;
    mutable std::mutex m_lock;
    T m_newest{};
    bool m_bWaiting = false;
};
