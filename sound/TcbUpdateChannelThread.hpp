#pragma once

#include "TRecursiveTimedLock.hpp"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace quorvane {

class TcbDSMixerChannel;

// The refill thread of one channel: while active, it wakes every Period ms and runs the
// channel's Update under the channel's lock, skipping a cycle whose lock it cannot get within
// 250 ms. A wake-up (SetActive(true)) starts a fresh period.
//
// Threads: SetActive and Period are written by the channel from the UI thread or from this
// thread's own Update; both are atomics.
class TcbUpdateChannelThread {
public:
    TcbUpdateChannelThread(TcbDSMixerChannel& channel, TRecursiveTimedLock& lock);
    // Ends the thread and waits for it; an Update in progress completes first.
    ~TcbUpdateChannelThread();
    TcbUpdateChannelThread(const TcbUpdateChannelThread&) = delete;
    TcbUpdateChannelThread& operator=(const TcbUpdateChannelThread&) = delete;

    bool Active() const { return m_active.load(); }
    void SetActive(bool active);

    std::atomic<std::uint32_t> Period{400};

private:
    void Execute();
    void Signal();
    // Waits for the wake event, which resets itself; true when it was signalled.
    bool Wait(const std::chrono::milliseconds* timeout);

    TcbDSMixerChannel& m_channel;
    TRecursiveTimedLock& m_lock;
    std::mutex m_eventMutex;
    std::condition_variable m_event;
    bool m_signalled = false;
    std::atomic<bool> m_active{false};
    std::atomic<bool> m_terminated{false};
    std::thread m_thread; // last: starts once everything above exists
};

} // namespace quorvane
