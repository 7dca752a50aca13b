#include "app/ControlAccess.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace control {

namespace {

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

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
    const QByteArray path = QFile::encodeName(socketPath + QStringLiteral(".lock"));
    const int lock = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lock < 0) {
        problem = QStringLiteral("cannot open %1: %2").arg(QFile::decodeName(path), systemError());
        return -1;
    }
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
