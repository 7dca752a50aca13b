#include "hotkeys/ModifierReleaseWait.h"

#include "platform/Platform.h"

namespace {

bool modifiersHeld()
{
    return platform::current().hotKeys().heldModifiers() != 0;
}

} // namespace

ModifierReleaseWait::ModifierReleaseWait(QObject* parent) : QObject(parent)
{
    m_timer.setInterval(kPollIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &ModifierReleaseWait::poll);
}

void ModifierReleaseWait::run(std::function<void()> action)
{
    cancel();
    if (!modifiersHeld()) {
        action();
        return;
    }
    m_action = std::move(action);
    m_waited.start();
    m_timer.start();
}

void ModifierReleaseWait::cancel()
{
    m_timer.stop();
    m_action = nullptr;
}

void ModifierReleaseWait::poll()
{
    if (modifiersHeld() && m_waited.elapsed() < kLongestWaitMs)
        return;
    m_timer.stop();
    // Taken out first: the action may start another wait.
    const std::function<void()> action = std::move(m_action);
    m_action = nullptr;
    if (action)
        action();
}
