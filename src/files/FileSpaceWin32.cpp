#include "files/FileSpace.h"

#include <QFile>

#include <io.h>

namespace files {

// Windows has neither a file size limit nor its signal.
struct FileSizeSignalIgnored::Saved {};

FileSizeSignalIgnored::FileSizeSignalIgnored() = default;
FileSizeSignalIgnored::~FileSizeSignalIgnored() = default;

bool reserveFileSpace(QFile& file, qint64 size, QString& problem)
{
    const qint64 oldSize = file.size();
    if (size <= oldSize)
        return true;
    // Setting the end of a file allocates its clusters, and fails on a full
    // disk before anything was written.
    if (file.resize(size))
        return true;
    problem = file.errorString();
    file.resize(oldSize);
    return false;
}

bool syncToDisk(QFileDevice& file, QString& problem)
{
    // _commit flushes the file's buffers to the disk (FlushFileBuffers).
    if (_commit(file.handle()) == 0)
        return true;
    problem = QStringLiteral("its bytes could not be put on the disk");
    return false;
}

} // namespace files
