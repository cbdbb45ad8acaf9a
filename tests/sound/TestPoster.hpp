#pragma once

// Stands in for the UI thread's event loop: handlers posted from any thread wait in a queue
// until the test thread runs them.

#include "TcbDSMixer.hpp"

#include <chrono>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class TTestEventLoop {
public:
    quorvane::TcbPoster Poster() {
        return [this](std::function<void()> handler) {
            std::lock_guard lock(m_mutex);
            m_pending.push_back(std::move(handler));
        };
    }

    int RunPending() {
        std::deque<std::function<void()>> due;
        {
            std::lock_guard lock(m_mutex);
            due.swap(m_pending);
        }
        for (auto& handler : due) {
            handler();
        }
        return static_cast<int>(due.size());
    }

    // Runs posted handlers for `duration`, or until `done` holds.
    template <class Done> void RunFor(std::chrono::milliseconds duration, Done done) {
        const auto end = std::chrono::steady_clock::now() + duration;
        while (std::chrono::steady_clock::now() < end && !done()) {
            RunPending();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        RunPending();
    }
    void RunFor(std::chrono::milliseconds duration) {
        RunFor(duration, [] { return false; });
    }

private:
    std::mutex m_mutex;
    std::deque<std::function<void()>> m_pending;
};
