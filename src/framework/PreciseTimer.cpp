#include "framework/PreciseTimer.h"

#include <QTimer>

#include <algorithm>
#include <limits>

// Qt's precise timer: whole milliseconds, rounded up so that no timeout
// comes before its deadline.
class QtTimerBackend final : public PreciseTimer::Backend {
public:
    explicit QtTimerBackend(PreciseTimer& owner) : m_owner(owner)
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, &owner, [this] {
            // From here on it repeats; an arming made by the handler below
            // replaces this one.
            if (m_timer.interval() != m_periodMs)
                m_timer.start(m_periodMs);
            m_owner.expired();
        });
    }

    void arm(PreciseTimer::Clock::time_point first, PreciseTimer::Clock::duration period) override
    {
        m_periodMs = millisecondsUp(period);
        m_timer.start(millisecondsUp(first - PreciseTimer::Clock::now()));
    }
    void disarm() override { m_timer.stop(); }

private:
    static int millisecondsUp(PreciseTimer::Clock::duration d)
    {
        using namespace std::chrono;
        const auto ms = ceil<milliseconds>(std::max(d, PreciseTimer::Clock::duration::zero())).count();
        return static_cast<int>(std::min<decltype(ms)>(ms, std::numeric_limits<int>::max()));
    }

    PreciseTimer& m_owner;
    QTimer m_timer;
    int m_periodMs = 0;
};

PreciseTimer::PreciseTimer(QObject* parent)
    : QObject(parent), m_quiet([this] { deliver(); }, this), m_backend(makeSystemTimerBackend(*this))
{
    if (!m_backend)
        m_backend = std::make_unique<QtTimerBackend>(*this);
}

PreciseTimer::~PreciseTimer() = default;

void PreciseTimer::start(std::uint32_t intervalMs, Clock::time_point from)
{
    const std::chrono::milliseconds interval{intervalMs};
    m_interval = intervalMs;
    m_active = true;
    m_quiet.cancel();
    m_backend->arm(from + interval, std::max<Clock::duration>(interval, kMinimumRepeat));
}

void PreciseTimer::stop()
{
    m_active = false;
    m_quiet.cancel();
    m_backend->disarm();
}

void PreciseTimer::expired()
{
    if (m_active)
        m_quiet.request();
}

void PreciseTimer::deliver()
{
    if (m_active)
        emit timeout();
}
