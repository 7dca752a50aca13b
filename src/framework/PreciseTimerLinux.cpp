// The precise timer's wake-up on Linux: a timerfd on CLOCK_MONOTONIC (the
// clock of std::chrono::steady_clock here), armed with an absolute deadline
// and watched by the event loop. The kernel fires it without the slack it
// gives sleeps and poll timeouts.
#include "framework/PreciseTimer.h"

#include <QSocketNotifier>
#include <QtGlobal>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/timerfd.h>
#include <unistd.h>

class SystemTimerBackend final : public PreciseTimer::Backend {
public:
    SystemTimerBackend(PreciseTimer& owner, int fd) : m_owner(owner), m_fd(fd), m_notifier(fd, QSocketNotifier::Read)
    {
        QObject::connect(&m_notifier, &QSocketNotifier::activated, &owner, [this] { readExpiry(); });
    }
    ~SystemTimerBackend() override
    {
        m_notifier.setEnabled(false);
        close(m_fd);
    }

    void arm(PreciseTimer::Clock::time_point first, PreciseTimer::Clock::duration period) override
    {
        itimerspec setting{};
        setting.it_value = toTimespec(first.time_since_epoch());
        setting.it_interval = toTimespec(period);
        timerfd_settime(m_fd, TFD_TIMER_ABSTIME, &setting, nullptr);
    }

    void disarm() override
    {
        const itimerspec none{};
        timerfd_settime(m_fd, 0, &none, nullptr);
    }

private:
    static timespec toTimespec(PreciseTimer::Clock::duration d)
    {
        using namespace std::chrono;
        // Zero disarms a timerfd and a negative time is refused; a deadline
        // that early has passed, and 1 ns fires at once just the same.
        const auto ns = std::max<std::int64_t>(duration_cast<nanoseconds>(d).count(), 1);
        timespec t{};
        t.tv_sec = static_cast<time_t>(ns / 1000000000);
        t.tv_nsec = static_cast<long>(ns % 1000000000);
        return t;
    }

    void readExpiry()
    {
        // Nothing to read when the timer was armed again or stopped since it
        // became readable: that expiry belonged to an arming that is gone.
        std::uint64_t expirations = 0;
        if (read(m_fd, &expirations, sizeof expirations) == static_cast<ssize_t>(sizeof expirations))
            m_owner.expired();
    }

    PreciseTimer& m_owner;
    int m_fd;
    QSocketNotifier m_notifier;
};

std::unique_ptr<PreciseTimer::Backend> makeSystemTimerBackend(PreciseTimer& owner)
{
    // Qt's timer can be asked for, to try it where the system has its own.
    if (qEnvironmentVariableIsSet("QUORVEL_QT_TIMERS"))
        return nullptr;
    const int fd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd < 0) {
        qWarning("quorvel: no timerfd (%s); timers are rounded to milliseconds", std::strerror(errno));
        return nullptr;
    }
    return std::make_unique<SystemTimerBackend>(owner, fd);
}
