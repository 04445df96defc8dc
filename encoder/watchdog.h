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
    // A clock in milliseconds; the steady clock unless a test gives its own.
    using Clock = std::function<int64_t()>;

    // Calls onStall once, from its own thread, when progressed() has not been called for `limit`
    // (counted from construction). onStall is expected to end the process. Time the process was
    // held (SIGSTOP, the converter's Pause) or the machine slept does not count: the watchdog
    // looks at least once a second, and a look that comes far later than it asked for means the
    // whole process stood still meanwhile.
    ProgressWatchdog(std::chrono::milliseconds limit, std::function<void()> onStall, Clock clock = {});
    ~ProgressWatchdog();
    ProgressWatchdog(const ProgressWatchdog&) = delete;
    ProgressWatchdog& operator=(const ProgressWatchdog&) = delete;

    void progressed();

private:
    void watch();
    static int64_t steadyNowMs();

    const std::chrono::milliseconds m_limit;
    const std::function<void()> m_onStall;
    const Clock m_now;
    std::atomic<int64_t> m_lastProgressMs;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace enc
