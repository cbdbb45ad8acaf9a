#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace quorvane {

// A recursive lock with a bounded wait, shared by a channel and its refill thread. Built on a
// plain mutex and condition variable rather than std::recursive_timed_mutex, whose timed wait
// ThreadSanitizer (as shipped with GCC 12) does not follow and then reports as a wrong unlock.
class TRecursiveTimedLock {
public:
    bool TryLockFor(std::chrono::milliseconds timeout) {
        std::unique_lock lock(m_mutex);
        const auto self = std::this_thread::get_id();
        if (m_depth > 0 && m_owner == self) {
            ++m_depth;
            return true;
        }
        if (!m_free.wait_for(lock, timeout, [this] { return m_depth == 0; })) {
            return false;
        }
        m_owner = self;
        m_depth = 1;
        return true;
    }

    void Lock() {
        std::unique_lock lock(m_mutex);
        const auto self = std::this_thread::get_id();
        if (m_depth > 0 && m_owner == self) {
            ++m_depth;
            return;
        }
        m_free.wait(lock, [this] { return m_depth == 0; });
        m_owner = self;
        m_depth = 1;
    }

    void Unlock() {
        std::unique_lock lock(m_mutex);
        if (--m_depth == 0) {
            m_owner = {};
            lock.unlock();
            m_free.notify_one();
        }
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_free;
    std::thread::id m_owner;
    unsigned m_depth = 0;
};

// Holds the lock if it was obtained within the wait; releases it on every way out.
class TTimedLockGuard {
public:
    TTimedLockGuard(TRecursiveTimedLock& lock, std::chrono::milliseconds timeout)
        : m_lock(lock)
        , m_owns(lock.TryLockFor(timeout)) {}
    explicit TTimedLockGuard(TRecursiveTimedLock& lock)
        : m_lock(lock)
        , m_owns(true) {
        lock.Lock();
    }
    ~TTimedLockGuard() {
        if (m_owns) {
            m_lock.Unlock();
        }
    }
    TTimedLockGuard(const TTimedLockGuard&) = delete;
    TTimedLockGuard& operator=(const TTimedLockGuard&) = delete;

    explicit operator bool() const { return m_owns; }

private:
    TRecursiveTimedLock& m_lock;
    bool m_owns;
};

} // namespace quorvane
