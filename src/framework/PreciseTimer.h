// A timer whose timeouts are not rounded to whole milliseconds: the first
// comes at an absolute moment on the monotonic clock (a start point plus the
// interval), the next ones every interval after it, until the timer is
// stopped. Timeouts are delivered on the thread that owns the timer, by its
// event loop, as a window's timer message is: only when nothing else is
// waiting to be delivered (see QuietRound.h), so that a stop that came before
// the deadline passed is handled before the timeout. A timer stopped or
// started again never delivers a timeout of its earlier arming, and expiries
// that pass while one timeout waits make that one timeout.
//
// On Linux it is a timerfd on CLOCK_MONOTONIC watched by a socket notifier,
// so the wake-up comes when the deadline passes, to the microsecond; on
// other systems (or with QUORVEL_QT_TIMERS set) it is a Qt::PreciseTimer, whose deadlines are rounded up to
// the millisecond so that it never fires early.
#pragma once

#include "framework/QuietRound.h"

#include <QObject>

#include <chrono>
#include <cstdint>
#include <memory>

class PreciseTimer final : public QObject {
    Q_OBJECT
public:
    using Clock = std::chrono::steady_clock;

    // The shortest time between two timeouts of a timer that is left to
    // repeat. The window timers this stands in for repeat no faster, and a
    // timer with interval 0 would otherwise keep the thread busy.
    static constexpr std::chrono::milliseconds kMinimumRepeat{10};

    explicit PreciseTimer(QObject* parent = nullptr);
    ~PreciseTimer() override;

    // Arms the timer: the first timeout at `from` + `intervalMs` (at once
    // when that has passed), then one every max(`intervalMs`, kMinimumRepeat).
    // Arming an armed timer replaces its deadline.
    void start(std::uint32_t intervalMs, Clock::time_point from);
    void start(std::uint32_t intervalMs) { start(intervalMs, Clock::now()); }
    void stop();
    bool isActive() const { return m_active; }
    // The interval it was last started with.
    std::uint32_t interval() const { return m_interval; }

    // What wakes the timer up: the system's own timer where there is one,
    // else a Qt::PreciseTimer.
    class Backend {
    public:
        virtual ~Backend() = default;
        // First expiry at `first`, then every `period`; replaces any arming.
        virtual void arm(Clock::time_point first, Clock::duration period) = 0;
        virtual void disarm() = 0;
    };

signals:
    void timeout();

private:
    friend class SystemTimerBackend;
    friend class QtTimerBackend;
    // Called by the backend at each expiry of the current arming.
    void expired();
    // Called when the thread has nothing else to deliver after an expiry.
    void deliver();

    bool m_active = false;
    std::uint32_t m_interval = 0;
    QuietRound m_quiet;
    std::unique_ptr<Backend> m_backend;
};

// The system's timer for `owner`, or null where there is none (or it cannot
// be had), in which case a Qt::PreciseTimer serves.
std::unique_ptr<PreciseTimer::Backend> makeSystemTimerBackend(PreciseTimer& owner);
