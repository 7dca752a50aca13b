// Runs an action once the modifier keys are up: playback started by a hot
// key must not click while the hot key's Ctrl or Alt is still held, or the
// clicks would arrive as Ctrl-clicks.
//
// The keyboard is polled every few milliseconds on the event loop, so the
// window keeps working while it waits; after at most a second the action
// runs all the same.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>

class ModifierReleaseWait : public QObject {
    Q_OBJECT
public:
    static constexpr int kPollIntervalMs = 10;
    static constexpr int kLongestWaitMs = 1000;

    explicit ModifierReleaseWait(QObject* parent = nullptr);

    // Runs `action` now when no modifier key is held, else once they are
    // all up or the longest wait has passed. A wait already pending is
    // replaced.
    void run(std::function<void()> action);
    // Drops the pending action, if any.
    void cancel();
    bool isPending() const { return m_timer.isActive(); }

private:
    void poll();

    QTimer m_timer;
    QElapsedTimer m_waited;
    std::function<void()> m_action;
};
