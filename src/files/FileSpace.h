// What a save in place needs from the system: a size limit that fails a write
// rather than ending the program, and the file's new size reserved before
// its first byte is overwritten.
#pragma once

#include <QString>
#include <QtGlobal>

class QFile;

namespace files {

// From now on a write past the process's file size limit fails with an
// error instead of ending the program with a signal.
void surviveFileSizeLimit();

// Makes sure that `file` (open for writing) can hold `size` bytes from its
// start without a write failing for want of space or for a size limit. The
// file may grow, filled with zeros; the bytes it holds do not change. False,
// with the reason in `problem`, when that cannot be made sure; the file then
// keeps its size and its bytes.
bool reserveFileSpace(QFile& file, qint64 size, QString& problem);

} // namespace files
