#include "watchdog.h"

namespace enc {

ProgressWatchdog::ProgressWatchdog(std::chrono::milliseconds limit, std::function<void()> onStall)
    : m_limit(limit), m_onStall(std::move(onStall)), m_lastProgressMs(nowMs()), m_thread(&ProgressWatchdog::watch, this)
{}

ProgressWatchdog::~ProgressWatchdog()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void ProgressWatchdog::progressed()
{
    m_lastProgressMs.store(nowMs(), std::memory_order_relaxed);
}

int64_t ProgressWatchdog::nowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void ProgressWatchdog::watch()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        const int64_t idle = nowMs() - m_lastProgressMs.load(std::memory_order_relaxed);
        if (idle >= m_limit.count()) {
            m_onStall();
            return;
        }
        // Sleep until the limit could next be reached, or until told to stop.
        if (m_wake.wait_for(lock, m_limit - std::chrono::milliseconds(idle), [this] { return m_stopping; }))
            return;
    }
}

} // namespace enc
