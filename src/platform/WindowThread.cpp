#include "platform/WindowThread.h"

#include <QCoreApplication>
#include <QThread>

#include <memory>
#include <mutex>

namespace platform {

std::optional<Point> readOnWindowThread(std::function<std::optional<Point>()> read, RunWait& wait)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return std::nullopt;
    if (QThread::currentThread() == app->thread())
        return read();
    // Shared with the read, which may come after the run has given up on it.
    struct Answer {
        std::mutex lock;
        bool abandoned = false;
        bool given = false;
        std::optional<Point> position;
    };
    const auto answer = std::make_shared<Answer>();
    RunWait* const waiting = &wait; // touched only while the run waits
    QMetaObject::invokeMethod(
        app,
        [answer, waiting, read = std::move(read)] {
            {
                const std::lock_guard<std::mutex> hold(answer->lock);
                if (answer->abandoned)
                    return;
            }
            const std::optional<Point> position = read();
            const std::lock_guard<std::mutex> hold(answer->lock);
            if (answer->abandoned)
                return;
            answer->position = position;
            answer->given = true;
            waiting->wake();
        },
        Qt::QueuedConnection);
    for (;;) {
        const bool woken = wait.forWake();
        const std::lock_guard<std::mutex> hold(answer->lock);
        if (answer->given)
            return answer->position;
        if (!woken) {
            answer->abandoned = true;
            return std::nullopt;
        }
    }
}

} // namespace platform
