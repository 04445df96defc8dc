// Ends a conversion that has stopped making progress, whatever it is stuck in.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace enc {

class ProgressWatchdog {
public:
    // Calls onStall once, from its own thread, when progressed() has not been called for `limit`
    // (counted from construction). onStall is expected to end the process.
    ProgressWatchdog(std::chrono::milliseconds limit, std::function<void()> onStall);
    ~ProgressWatchdog();
    ProgressWatchdog(const ProgressWatchdog&) = delete;
    ProgressWatchdog& operator=(const ProgressWatchdog&) = delete;

    void progressed();

private:
    void watch();
    static int64_t nowMs();

    const std::chrono::milliseconds m_limit;
    const std::function<void()> m_onStall;
    std::atomic<int64_t> m_lastProgressMs;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace enc
