#include "files/FileSpace.h"

#include <QFile>

namespace files {

void surviveFileSizeLimit() {}

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

} // namespace files
