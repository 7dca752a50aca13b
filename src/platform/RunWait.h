// The waits of one playback run. Every wait is on an absolute deadline of one
// clock (std::chrono::steady_clock, CLOCK_MONOTONIC on Linux) or for an
// answer from another thread, and every wait also waits on the run's one stop
// signal: a stop, sent from any thread, cuts the wait under way short at once,
// and every later wait returns at once. A row's delay, the pause inside a
// double click and a back end's settle waits are all waits of this kind.
//
// On Linux the deadline is a timerfd (TFD_TIMER_ABSTIME) and the stop and
// the answer are eventfds, polled together; on Windows a high-resolution
// waitable timer and two event objects, waited for together.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>

namespace platform {

class RunWait {
public:
    using Clock = std::chrono::steady_clock;

    RunWait();
    ~RunWait();
    RunWait(const RunWait&) = delete;
    RunWait& operator=(const RunWait&) = delete;

    // Waits until `deadline`, at once when it has passed. False when the run
    // was stopped first (or before).
    bool until(Clock::time_point deadline);
    bool sleep(std::chrono::milliseconds duration) { return until(Clock::now() + duration); }
    // Waits until wake() has been called since the last such wait returned.
    // False when the run was stopped first.
    bool forWake();

    // From any thread.
    void wake();
    void stop();
    bool stopped() const { return m_stopped.load(std::memory_order_acquire); }

private:
    struct System; // the timer and the two signals of this system
    std::atomic<bool> m_stopped{false};
    std::unique_ptr<System> m_system;
};

} // namespace platform
