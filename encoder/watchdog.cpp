#include "watchdog.h"

#include <algorithm>

namespace enc {

namespace {

// How much later than asked a look may come before the time in between counts as time the
// process stood still: far more than a busy machine delays a waiting thread.
constexpr int64_t kLateMs = 3000;

} // namespace

ProgressWatchdog::ProgressWatchdog(std::chrono::milliseconds limit, std::function<void()> onStall, Clock clock)
    : m_limit(limit), m_onStall(std::move(onStall)), m_now(clock ? std::move(clock) : Clock(&steadyNowMs)),
      m_lastProgressMs(m_now()), m_thread(&ProgressWatchdog::watch, this)
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
    m_lastProgressMs.store(m_now(), std::memory_order_relaxed);
}

int64_t ProgressWatchdog::steadyNowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void ProgressWatchdog::watch()
{
    // Looking a few times within the limit, and at least once a second.
    const int64_t lookMs = std::clamp<int64_t>(m_limit.count() / 4, 1, 1000);
    std::unique_lock<std::mutex> lock(m_mutex);
    int64_t lookedAt = m_lastProgressMs.load(std::memory_order_relaxed); // the watchdog's start
    int64_t wait = 0;
    for (;;) {
        const int64_t now = m_now();
        const int64_t late = now - lookedAt - wait;
        if (late > kLateMs) {
            // The process stood still that long: no stall of the conversion. The last progress
            // moves on by as much, though never past now (it may have come after the standstill).
            int64_t last = m_lastProgressMs.load(std::memory_order_relaxed);
            while (
                !m_lastProgressMs.compare_exchange_weak(last, std::min(last + late, now), std::memory_order_relaxed)) {
            }
        }
        lookedAt = now;
        const int64_t idle = now - m_lastProgressMs.load(std::memory_order_relaxed);
        if (idle >= m_limit.count()) {
            m_onStall();
            return;
        }
        // Sleep until the limit could next be reached or the next look, or until told to stop.
        wait = std::min(m_limit.count() - idle, lookMs);
        if (m_wake.wait_for(lock, std::chrono::milliseconds(wait), [this] { return m_stopping; }))
            return;
    }
}

} // namespace enc
