#include "files/FileSpace.h"

#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace files {

void surviveFileSizeLimit()
{
    std::signal(SIGXFSZ, SIG_IGN);
}

bool reserveFileSpace(QFile& file, qint64 size, QString& problem)
{
    const qint64 oldSize = file.size();
    if (size <= oldSize)
        return true; // the bytes are overwritten where they are
    // Where the file system has no fallocate, the C library writes a zero
    // into each new block instead, and a full disk or a size limit fails it
    // the same way, before any byte of the file changed.
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
        problem = QString::fromLocal8Bit(std::strerror(error));
        break;
    }
    // A reservation that was cut short leaves zeros past the old end: gone.
    if (ftruncate(file.handle(), static_cast<off_t>(oldSize)) != 0)
        problem +=
            QStringLiteral("; the file is %1 bytes longer than before, ending in zeros").arg(file.size() - oldSize);
    return false;
}

} // namespace files
