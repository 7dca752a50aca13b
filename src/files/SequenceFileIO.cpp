#include "files/SequenceFileIO.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace files {

namespace {

// Bytes gathered before they are handed to the file while writing.
constexpr std::size_t kWriteChunk = 1 << 20;

// Reads until `size` bytes are in or the file ends; -1 on a read error.
qint64 readUpTo(QFile& file, std::uint8_t* data, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        const qint64 n = file.read(reinterpret_cast<char*>(data + done), size - done);
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

bool writeChunk(QSaveFile& file, const std::vector<std::uint8_t>& bytes)
{
    const qint64 size = static_cast<qint64>(bytes.size());
    if (size == 0)
        return true;
    return file.write(reinterpret_cast<const char*>(bytes.data()), size) == size;
}

} // namespace

bool hasSequenceExtension(const QString& name)
{
    return name.right(4).compare(QLatin1String(".tpx"), Qt::CaseInsensitive) == 0;
}

SequenceFileRead readSequenceFile(const QString& path)
{
    SequenceFileRead result;
    const QFileInfo info(path);
    if (!info.exists()) {
        result.status = SequenceFileRead::Status::Missing;
        return result;
    }
    result.status = SequenceFileRead::Status::Unreadable;
    // A folder or a device is never read: a named pipe would block until
    // someone writes to it.
    if (info.isDir()) {
        result.reason = QStringLiteral("it is a folder");
        return result;
    }
    if (!info.isFile()) {
        result.reason = QStringLiteral("it is not a regular file");
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        result.reason = file.errorString();
        return result;
    }

    std::vector<std::uint8_t> bytes(kSequenceHeaderSize);
    qint64 got = readUpTo(file, bytes.data(), static_cast<qint64>(bytes.size()));
    if (got == static_cast<qint64>(kSequenceHeaderSize)) {
        const std::int32_t stated = static_cast<std::int32_t>(
            static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
            static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24);
        // The records the header states, as far as the file holds them.
        const qint64 wanted = stated > 0 ? static_cast<qint64>(kSequenceRecordSize) * stated : 0;
        const qint64 present = std::max<qint64>(0, file.size() - got);
        const qint64 toRead = std::min(wanted, present);
        if (toRead > 0) {
            bytes.resize(kSequenceHeaderSize + static_cast<std::size_t>(toRead));
            const qint64 more = readUpTo(file, bytes.data() + kSequenceHeaderSize, toRead);
            got = more < 0 ? -1 : got + more;
        }
    }
    if (got < 0) {
        result.reason = file.errorString();
        return result;
    }
    bytes.resize(static_cast<std::size_t>(got));
    result.status = SequenceFileRead::Status::Read;
    result.sequence = decodeSequence(bytes);
    return result;
}

bool writeSequenceFile(const QString& path, int entryCount, std::int32_t repeatCount,
                       const std::function<CClickEntry(int k)>& entryAt)
{
    // The open fails for a file the user may not write: it is not replaced
    // behind its back. Where the folder takes no new file but the file itself
    // may be written, the file is written in place, as a plain write would;
    // everywhere else the new bytes replace it only once all are written.
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;

    // Every write is checked for its full length: a write the system cuts
    // short (a full disk, a file size limit) may not be reported as an error.
    bool written = true;
    try {
        ByteWriter writer;
        writer.reserve(kWriteChunk + kSequenceRecordSize);
        appendSequenceHeader(writer, static_cast<std::size_t>(std::max(0, entryCount)), repeatCount);
        for (int k = 0; written && k < entryCount; ++k) {
            appendSequenceRecord(writer, entryAt(k));
            if (writer.size() >= kWriteChunk) {
                written = writeChunk(file, writer.take());
                writer.reserve(kWriteChunk + kSequenceRecordSize);
            }
        }
        written = written && writeChunk(file, writer.take());
    } catch (const std::length_error&) {
        written = false; // more clicks than the header can state
    }
    if (!written) {
        // The temporary file goes and the old file stays (written in place,
        // the file holds what was written before the failure).
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace files
