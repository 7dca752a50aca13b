// A run's waits on Windows: a high-resolution waitable timer (Windows 10
// 1803 and later; an ordinary one elsewhere), waited for together with two
// event objects, the stop and the answer.
#include "platform/RunWait.h"

#include <windows.h>

#include <algorithm>
#include <initializer_list>

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace platform {

struct RunWait::System {
    HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, nullptr); // stays set
    HANDLE wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE timer = makeTimer();

    ~System()
    {
        for (HANDLE handle : {stop, wake, timer})
            if (handle)
                CloseHandle(handle);
    }

    static HANDLE makeTimer()
    {
        HANDLE fine = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS);
        return fine ? fine : CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
    }

    // Waits until `handle` is signalled; false when the stop came first.
    bool waitFor(HANDLE handle)
    {
        const HANDLE handles[2] = {stop, handle};
        return WaitForMultipleObjects(2, handles, FALSE, INFINITE) == WAIT_OBJECT_0 + 1;
    }
};

RunWait::RunWait() : m_system(std::make_unique<System>()) {}

RunWait::~RunWait() = default;

bool RunWait::until(Clock::time_point deadline)
{
    if (stopped())
        return false;
    const Clock::duration left = deadline - Clock::now();
    if (left <= Clock::duration::zero())
        return true;
    // A negative due time is relative, in units of 100 ns; the steady clock
    // and the timer both count the time the system has been running.
    LARGE_INTEGER due;
    due.QuadPart = -std::max<LONGLONG>(1, std::chrono::duration_cast<std::chrono::nanoseconds>(left).count() / 100);
    if (!SetWaitableTimer(m_system->timer, &due, 0, nullptr, nullptr, FALSE))
        return false;
    return m_system->waitFor(m_system->timer);
}

bool RunWait::forWake()
{
    return !stopped() && m_system->waitFor(m_system->wake);
}

void RunWait::wake()
{
    SetEvent(m_system->wake);
}

void RunWait::stop()
{
    m_stopped.store(true, std::memory_order_release);
    SetEvent(m_system->stop);
}

} // namespace platform
