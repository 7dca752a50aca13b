// A run's waits on Linux: a timerfd on CLOCK_MONOTONIC (the clock of
// std::chrono::steady_clock here) armed with the absolute deadline, polled
// beside two eventfds, the stop and the answer. The kernel fires a timerfd
// without the slack it gives poll timeouts and sleeps.
#include "platform/RunWait.h"

#include <cerrno>
#include <cstdint>
#include <initializer_list>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/timerfd.h>
#include <unistd.h>

namespace platform {

struct RunWait::System {
    int stop = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    int wake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    int timer = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);

    ~System()
    {
        for (int fd : {stop, wake, timer})
            if (fd >= 0)
                close(fd);
    }

    // Waits until `fd` is readable, and takes what it holds; false when the
    // stop came first.
    bool waitFor(int fd)
    {
        pollfd entries[2] = {{stop, POLLIN, 0}, {fd, POLLIN, 0}};
        for (;;) {
            const int ready = poll(entries, 2, -1);
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready < 0 || (entries[0].revents & POLLIN))
                return false;
            if (entries[1].revents & POLLIN) {
                std::uint64_t count = 0;
                if (read(fd, &count, sizeof count) == static_cast<ssize_t>(sizeof count))
                    return true;
            }
            if (entries[1].revents & (POLLERR | POLLNVAL))
                return false;
        }
    }
};

RunWait::RunWait() : m_system(std::make_unique<System>()) {}

RunWait::~RunWait() = default;

bool RunWait::until(Clock::time_point deadline)
{
    if (stopped())
        return false;
    if (deadline <= Clock::now())
        return true;
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline.time_since_epoch()).count();
    itimerspec setting{};
    setting.it_value.tv_sec = static_cast<time_t>(ns / 1000000000);
    setting.it_value.tv_nsec = static_cast<long>(ns % 1000000000);
    if (timerfd_settime(m_system->timer, TFD_TIMER_ABSTIME, &setting, nullptr) != 0)
        return false;
    return m_system->waitFor(m_system->timer);
}

bool RunWait::forWake()
{
    return !stopped() && m_system->waitFor(m_system->wake);
}

void RunWait::wake()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(m_system->wake, &one, sizeof one);
}

void RunWait::stop()
{
    m_stopped.store(true, std::memory_order_release);
    // Never read: the stop stays readable for every later wait.
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(m_system->stop, &one, sizeof one);
}

} // namespace platform
