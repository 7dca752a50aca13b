#include "files/FileSpace.h"

#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace files {

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

struct FileSizeSignalIgnored::Saved {
    struct sigaction previous {};
    bool restore = false;
};

FileSizeSignalIgnored::FileSizeSignalIgnored() : m_saved(std::make_unique<Saved>())
{
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    m_saved->restore = sigaction(SIGXFSZ, &ignore, &m_saved->previous) == 0;
}

FileSizeSignalIgnored::~FileSizeSignalIgnored()
{
    if (m_saved->restore)
        sigaction(SIGXFSZ, &m_saved->previous, nullptr);
}

bool reserveFileSpace(QFile& file, qint64 size, QString& problem)
{
    // A write past the limit fails whether the file grows or not, and the
    // bytes before it would already be overwritten.
    rlimit limit{};
    if (getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        static_cast<rlim_t>(size) > limit.rlim_cur) {
        problem = QStringLiteral("its %1 bytes pass the file size limit of %2 bytes").arg(size).arg(limit.rlim_cur);
        return false;
    }
    const qint64 oldSize = file.size();
    if (size <= oldSize)
        return true; // the bytes are overwritten where they are
    // Where the file system has no fallocate, the C library writes a zero
    // into each new block instead, and a full disk fails it the same way,
    // before any byte of the file changed.
    const int error = posix_fallocate(file.handle(), 0, static_cast<off_t>(size));
    if (error == 0)
        return true;
    switch (error) {
    case EFBIG:
        problem = QStringLiteral("the file may not grow to %1 bytes here (a file size limit)").arg(size);
        break;
    case ENOSPC:
    case EDQUOT:
        problem = QStringLiteral("there is no room for its %1 bytes on the disk").arg(size);
        break;
    case EOPNOTSUPP:
    case EINVAL:
        problem = QStringLiteral("its file system cannot set aside room for %1 bytes before writing").arg(size);
        break;
    default:
        problem = systemError(error);
        break;
    }
    // A reservation that was cut short leaves zeros past the old end: gone.
    if (ftruncate(file.handle(), static_cast<off_t>(oldSize)) != 0)
        problem +=
            QStringLiteral("; the file is %1 bytes longer than before, ending in zeros").arg(file.size() - oldSize);
    return false;
}

bool syncToDisk(QFileDevice& file, QString& problem)
{
    if (fsync(file.handle()) == 0)
        return true;
    problem = QStringLiteral("its bytes could not be put on the disk (%1)").arg(systemError(errno));
    return false;
}

} // namespace files
