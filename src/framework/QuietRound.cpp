#include "framework/QuietRound.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>

namespace {

QEvent::Type probeType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

} // namespace

QuietRound::QuietRound(std::function<void()> callback, QObject* parent)
    : QObject(parent), m_callback(std::move(callback))
{
}

QuietRound::~QuietRound()
{
    watch(false);
}

void QuietRound::request()
{
    if (m_waiting)
        return;
    m_waiting = true;
    m_rounds = 0;
    // The first probe always goes round again: what became ready with the
    // deadline may not have been delivered yet.
    m_busy = true;
    watch(true);
    if (!m_probePosted) {
        m_probePosted = true;
        QCoreApplication::postEvent(this, new QEvent(probeType()), Qt::LowEventPriority);
    }
}

void QuietRound::cancel()
{
    m_waiting = false;
    watch(false);
}

bool QuietRound::event(QEvent* e)
{
    if (e->type() != probeType())
        return QObject::event(e);
    m_probePosted = false;
    if (!m_waiting)
        return true;
    if (m_busy && ++m_rounds < kMostRounds) {
        m_busy = false;
        m_probePosted = true;
        QCoreApplication::postEvent(this, new QEvent(probeType()), Qt::LowEventPriority);
        return true;
    }
    cancel();
    m_callback();
    return true;
}

bool QuietRound::eventFilter(QObject* watched, QEvent* e)
{
    if (watched != this || e->type() != probeType())
        m_busy = true;
    return false;
}

void QuietRound::watch(bool on)
{
    QCoreApplication* app = QCoreApplication::instance();
    // The application's filter sees the events of its own thread only;
    // elsewhere every request goes round twice.
    if (!app || app->thread() != thread() || on == m_watching)
        return;
    m_watching = on;
    if (on)
        app->installEventFilter(this);
    else
        app->removeEventFilter(this);
}
