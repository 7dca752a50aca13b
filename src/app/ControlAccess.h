// Where the control socket of `quorvel --toggle` / `--capture` lives and who
// may use it, decided with the system's own calls: the socket is
// quorvel.sock in the user's private runtime folder ($XDG_RUNTIME_DIR), it is
// the user's own with mode 0600, only the one process that holds its lock
// answers on it, and only processes of the same user are heard.
#pragma once

#include <QString>
#include <QtGlobal>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <signal.h>
#include <thread>

namespace control {

// The socket's path; empty, with the reason in `problem`, when there is no
// private runtime folder to put it in (XDG_RUNTIME_DIR unset, not a folder,
// or not the user's own).
QString SocketPath(QString& problem);

// Takes the lock that makes this process the one that answers on
// `socketPath`: a descriptor to keep open while answering (the system lets
// go of it when the process ends, however it ends). -1 when another process
// holds it (then `heldElsewhere` is set), or it cannot be taken (`problem`
// says which).
int TakeInstanceLock(const QString& socketPath, QString& problem, bool* heldElsewhere = nullptr);
void ReleaseInstanceLock(int lock);

// Listens on `socketPath`, whose lock the caller holds: a socket file that
// an ended instance left there is replaced, and the new one made private.
// The listening descriptor, or -1 with the reason in `problem`.
int ListenOn(const QString& socketPath, QString& problem);

// Waits for the lock of `socketPath` on a thread of its own, asleep in one
// system call (a blocking flock) that returns when the process holding the
// lock lets go of it, however that process ends: nothing runs meanwhile.
// The thread then takes the lock and listens at once, so that a command sent
// from then on waits in the socket's queue rather than being refused, and
// calls `done`. The destructor ends a wait still going (a signal interrupts
// the sleep) and lets go of what was taken but not collected.
class InstanceLockWait {
public:
    InstanceLockWait(const QString& socketPath, std::function<void()> done);
    ~InstanceLockWait();
    InstanceLockWait(const InstanceLockWait&) = delete;
    InstanceLockWait& operator=(const InstanceLockWait&) = delete;

    // Once `done` was called: the lock, and in `listener` the socket that
    // listens; -1 when taking over failed, with the reason in `problem`.
    int collect(int& listener, QString& problem);

private:
    void run();

    const QString m_path;
    const std::function<void()> m_done;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::condition_variable m_ended;
    bool m_running = true;
    int m_lock = -1;
    int m_listener = -1;
    QString m_problem;
    struct sigaction m_previousWake {};
    std::thread m_thread; // last: it starts once the rest is there
};

// Gives the socket file mode 0600 and checks that it is now a socket of this
// user that nobody else may use.
bool MakePrivate(const QString& socketPath, QString& problem);

// The process at the other end of the connected local socket `descriptor`
// runs as this user.
bool PeerIsThisUser(qintptr descriptor);

} // namespace control
