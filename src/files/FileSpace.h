// What saving needs from the system: a size limit that fails a write rather
// than ending the program, room for a save in place checked before its first
// byte is overwritten, and bytes that are on the disk before a save counts
// as done.
#pragma once

#include <QString>
#include <QtGlobal>

#include <memory>

class QFile;
class QFileDevice;

namespace files {

// While it lives, a write past the process's file size limit fails with an
// error instead of ending the program with a signal. The signal's previous
// disposition comes back afterwards, so that programs started later do not
// inherit an ignored SIGXFSZ.
class FileSizeSignalIgnored {
public:
    FileSizeSignalIgnored();
    ~FileSizeSignalIgnored();
    FileSizeSignalIgnored(const FileSizeSignalIgnored&) = delete;
    FileSizeSignalIgnored& operator=(const FileSizeSignalIgnored&) = delete;

private:
    struct Saved;
    std::unique_ptr<Saved> m_saved;
};

// Makes sure that `file` (open for writing) can take `size` bytes written
// from its start without a write failing for a size limit or for want of
// space: the limit is checked whether the file grows or not, and a file that
// grows gets its new room now, filled with zeros. The bytes it holds do not
// change. False, with the reason in `problem`, when that cannot be made
// sure; the file then keeps its size and its bytes.
bool reserveFileSpace(QFile& file, qint64 size, QString& problem);

// Waits until what was written to `file` is on the disk. False, with the
// reason in `problem`, when the system says it may not be.
bool syncToDisk(QFileDevice& file, QString& problem);

} // namespace files
