#include "app/ControlAccess.h"

#include <QFile>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>

namespace control {

namespace {

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

QByteArray lockPath(const QString& socketPath)
{
    return QFile::encodeName(socketPath + QStringLiteral(".lock"));
}

int openLock(const QByteArray& path, QString& problem)
{
    const int lock = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lock < 0)
        problem = QStringLiteral("cannot open %1: %2").arg(QFile::decodeName(path), systemError());
    return lock;
}

// Wakes a thread asleep in InstanceLockWait's flock: the handler does
// nothing, but the call it interrupts returns.
constexpr int kWakeSignal = SIGUSR1;

void wake(int) {}

} // namespace

QString SocketPath(QString& problem)
{
    const QByteArray folder = qgetenv("XDG_RUNTIME_DIR");
    if (folder.isEmpty()) {
        problem = QStringLiteral("XDG_RUNTIME_DIR is not set");
        return QString();
    }
    struct stat info {};
    if (folder[0] != '/' || ::stat(folder.constData(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        problem = QStringLiteral("XDG_RUNTIME_DIR (%1) is not a folder").arg(QFile::decodeName(folder));
        return QString();
    }
    // Others must not be able to put a socket or a lock of their own there.
    if (info.st_uid != ::getuid() || (info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        problem = QStringLiteral("XDG_RUNTIME_DIR (%1) is not private to this user").arg(QFile::decodeName(folder));
        return QString();
    }
    return QFile::decodeName(folder) + QStringLiteral("/quorvel.sock");
}

int TakeInstanceLock(const QString& socketPath, QString& problem, bool* heldElsewhere)
{
    if (heldElsewhere)
        *heldElsewhere = false;
    const QByteArray path = lockPath(socketPath);
    const int lock = openLock(path, problem);
    if (lock < 0)
        return -1;
    if (::flock(lock, LOCK_EX | LOCK_NB) != 0) {
        if (heldElsewhere)
            *heldElsewhere = errno == EWOULDBLOCK;
        problem = errno == EWOULDBLOCK
                      ? QStringLiteral("another instance answers on %1").arg(socketPath)
                      : QStringLiteral("cannot lock %1: %2").arg(QFile::decodeName(path), systemError());
        ::close(lock);
        return -1;
    }
    return lock;
}

void ReleaseInstanceLock(int lock)
{
    if (lock >= 0)
        ::close(lock);
}

int ListenOn(const QString& socketPath, QString& problem)
{
    const QByteArray path = QFile::encodeName(socketPath);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (static_cast<std::size_t>(path.size()) >= sizeof address.sun_path) {
        problem = QStringLiteral("the path %1 is too long for a socket").arg(socketPath);
        return -1;
    }
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    // The lock is the caller's, so a socket file there is one that an ended
    // instance left behind.
    ::unlink(path.constData());
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener >= 0 && ::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        MakePrivate(socketPath, problem) && ::listen(listener, SOMAXCONN) == 0)
        return listener;
    if (problem.isEmpty())
        problem = QStringLiteral("cannot listen on %1: %2").arg(socketPath, systemError());
    if (listener >= 0)
        ::close(listener);
    return -1;
}

InstanceLockWait::InstanceLockWait(const QString& socketPath, std::function<void()> done)
    : m_path(socketPath), m_done(std::move(done))
{
    struct sigaction wakeUp {};
    wakeUp.sa_handler = wake; // without SA_RESTART, so that flock returns
    sigemptyset(&wakeUp.sa_mask);
    sigaction(kWakeSignal, &wakeUp, &m_previousWake);
    m_thread = std::thread([this] { run(); });
}

InstanceLockWait::~InstanceLockWait()
{
    m_stop = true;
    {
        // A wake that comes just before the thread goes to sleep is lost,
        // so it is sent again until the thread has ended.
        std::unique_lock<std::mutex> hold(m_mutex);
        while (m_running) {
            pthread_kill(m_thread.native_handle(), kWakeSignal);
            m_ended.wait_for(hold, std::chrono::milliseconds(20));
        }
    }
    m_thread.join();
    sigaction(kWakeSignal, &m_previousWake, nullptr);
    if (m_listener >= 0) {
        // Taken but not collected: the socket goes before the lock.
        ::unlink(QFile::encodeName(m_path).constData());
        ::close(m_listener);
    }
    ReleaseInstanceLock(m_lock);
}

int InstanceLockWait::collect(int& listener, QString& problem)
{
    const std::lock_guard<std::mutex> hold(m_mutex);
    listener = std::exchange(m_listener, -1);
    problem = m_problem;
    return std::exchange(m_lock, -1);
}

void InstanceLockWait::run()
{
    sigset_t wakeOnly;
    sigemptyset(&wakeOnly);
    sigaddset(&wakeOnly, kWakeSignal);
    pthread_sigmask(SIG_UNBLOCK, &wakeOnly, nullptr);

    const QByteArray path = lockPath(m_path);
    QString problem;
    int lock = openLock(path, problem);
    bool locked = false;
    while (lock >= 0 && !locked && !m_stop) {
        locked = ::flock(lock, LOCK_EX) == 0;
        if (!locked && errno != EINTR) {
            problem = QStringLiteral("cannot lock %1: %2").arg(QFile::decodeName(path), systemError());
            break;
        }
    }
    const int listener = locked && !m_stop ? ListenOn(m_path, problem) : -1;
    if (listener < 0) {
        ReleaseInstanceLock(lock);
        lock = -1;
    }
    {
        const std::lock_guard<std::mutex> hold(m_mutex);
        m_lock = lock;
        m_listener = listener;
        m_problem = problem;
        m_running = false;
    }
    m_ended.notify_all();
    if (!m_stop)
        m_done();
}

bool MakePrivate(const QString& socketPath, QString& problem)
{
    const QByteArray path = QFile::encodeName(socketPath);
    struct stat info {};
    if (::chmod(path.constData(), S_IRUSR | S_IWUSR) != 0 || ::lstat(path.constData(), &info) != 0) {
        problem = QStringLiteral("cannot set the mode of %1: %2").arg(socketPath, systemError());
        return false;
    }
    if (!S_ISSOCK(info.st_mode) || info.st_uid != ::getuid() || (info.st_mode & 07777) != (S_IRUSR | S_IWUSR)) {
        problem = QStringLiteral("%1 is not a socket of this user with mode 0600").arg(socketPath);
        return false;
    }
    return true;
}

bool PeerIsThisUser(qintptr descriptor)
{
    struct ucred peer {};
    socklen_t size = sizeof peer;
    return ::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
           size == sizeof peer && peer.uid == ::getuid();
}

} // namespace control
