#include "TcbUpdateChannelThread.hpp"

#include "TcbDSMixerChannel.hpp"

#include <pthread.h>

namespace quorvane {

TcbUpdateChannelThread::TcbUpdateChannelThread(TcbDSMixerChannel& channel,
                                               TRecursiveTimedLock& lock)
    : m_channel(channel)
    , m_lock(lock)
    , m_thread([this] { Execute(); }) {
    // Named so that a profiler (and the benchmark) can tell the refill threads apart.
    pthread_setname_np(m_thread.native_handle(), "cbDSMCUpd");
}

TcbUpdateChannelThread::~TcbUpdateChannelThread() {
    m_terminated = true;
    Signal();
    m_thread.join();
}

void TcbUpdateChannelThread::SetActive(bool active) {
    if (m_active.exchange(active) != active && active) {
        Signal();
    }
}

void TcbUpdateChannelThread::Signal() {
    {
        std::lock_guard lock(m_eventMutex);
        m_signalled = true;
    }
    m_event.notify_one();
}

bool TcbUpdateChannelThread::Wait(const std::chrono::milliseconds* timeout) {
    std::unique_lock lock(m_eventMutex);
    const auto signalled = [this] { return m_signalled; };
    if (timeout == nullptr) {
        m_event.wait(lock, signalled);
    } else if (!m_event.wait_for(lock, *timeout, signalled)) {
        return false;
    }
    m_signalled = false;
    return true;
}

void TcbUpdateChannelThread::Execute() {
    // Woken by Play: the first fill may still need converting. Not a refill cycle, so the
    // cycles keep their period from Play.
    const auto convert = [this] {
        TTimedLockGuard guard(m_lock, std::chrono::milliseconds(250));
        if (guard && m_active && !m_terminated) {
            m_channel.RunConvert();
        }
    };
    while (!m_terminated) {
        if (!m_active) {
            Wait(nullptr);
            convert();
            continue;
        }
        const std::chrono::milliseconds period(Period.load());
        if (Wait(&period)) {
            convert();
            continue;
        }
        TTimedLockGuard guard(m_lock, std::chrono::milliseconds(250));
        // Active is read again under the lock, so a Stop that won the lock is not followed by
        // a refill.
        if (guard && m_active && !m_terminated) {
            m_channel.RunUpdate();
        }
    }
}
} // namespace quorvane
