#include "files/SequenceFileIO.h"

#include "files/FileSpace.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <limits>
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

// A write cut short is tried again for the rest, so that the error that
// stopped it (a size limit, a full disk) is the file's error.
bool writeChunk(QFileDevice& file, const std::vector<std::uint8_t>& bytes)
{
    const char* data = reinterpret_cast<const char*>(bytes.data());
    for (qint64 left = static_cast<qint64>(bytes.size()); left > 0;) {
        const qint64 n = file.write(data, left);
        if (n <= 0)
            return false;
        data += n;
        left -= n;
    }
    return true;
}

using ChunkSink = std::function<bool(const std::vector<std::uint8_t>&)>;

// Hands the file's bytes to `sink` in chunks, walking the clicks once; false
// as soon as the sink fails, or for a count the format cannot state.
bool produceSequenceBytes(int entryCount, std::int32_t repeatCount, const std::function<CClickEntry(int k)>& entryAt,
                          const ChunkSink& sink)
{
    try {
        ByteWriter writer;
        writer.reserve(kWriteChunk + kSequenceRecordSize);
        appendSequenceHeader(writer, static_cast<std::size_t>(std::max(0, entryCount)), repeatCount);
        for (int k = 0; k < entryCount; ++k) {
            appendSequenceRecord(writer, entryAt(k));
            if (writer.size() >= kWriteChunk) {
                if (!sink(writer.take()))
                    return false;
                writer.reserve(kWriteChunk + kSequenceRecordSize);
            }
        }
        return sink(writer.take());
    } catch (const std::length_error&) {
        return false; // more clicks than the header can state
    }
}

// Puts `old` (the file's bytes before a save in place) back over the first
// `touched` bytes, which the save may have changed, and gives the file its
// old size again. True when the file then reads as it did and is on the
// disk. (A write that a size limit cut short left the bytes past the limit
// as they were, though putting them back fails the same way.)
bool putBack(QFile& file, const QByteArray& old, qint64 touched)
{
    const qint64 changed = std::min<qint64>(touched, old.size());
    if (file.seek(0))
        file.write(old.constData(), changed);
    file.resize(old.size());
    QString unsynced;
    return syncToDisk(file, unsynced) && file.seek(0) && file.readAll() == old;
}

// Overwrites the file at `path` with the bytes `bytesOf` gives. Its old
// bytes are read first, to be put back should the save fail once it has
// begun to overwrite them; room for the new bytes (the size limit, the disk)
// is checked before the first one, so that the usual failures refuse the
// save with the file untouched. The save is done once the new bytes are on
// the disk; a file that shrinks is cut to its new size last.
bool writeInPlace(const QString& path, int entryCount, const std::function<bool(const ChunkSink&)>& bytesOf,
                  SaveProblem& problem)
{
    if (entryCount < 0 ||
        static_cast<std::size_t>(entryCount) > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        return false;
    const qint64 newSize = static_cast<qint64>(kSequenceHeaderSize) +
                           static_cast<qint64>(kSequenceRecordSize) * static_cast<qint64>(entryCount);
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return false;
    const QByteArray old = file.readAll();
    if (old.size() != file.size()) {
        problem.reason = QStringLiteral("its old bytes could not be read to keep them (%1)").arg(file.errorString());
        return false;
    }
    if (!reserveFileSpace(file, newSize, problem.reason)) {
        problem.fileKept = file.size() == old.size(); // else zeros past its end that could not be cut off
        return false;
    }

    qint64 touched = 0; // bytes from the start that a write may have changed
    const ChunkSink overwrite = [&](const std::vector<std::uint8_t>& chunk) {
        touched += static_cast<qint64>(chunk.size());
        return touched <= newSize && writeChunk(file, chunk);
    };
    const bool written = file.seek(0) && bytesOf(overwrite) && touched == newSize;
    if (!written)
        problem.reason = file.errorString();
    else if (!file.resize(newSize))
        problem.reason = file.errorString();
    else if (syncToDisk(file, problem.reason))
        return true;

    problem.fileKept = putBack(file, old, touched);
    return false;
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
                       const std::function<CClickEntry(int k)>& entryAt, SaveProblem* problem)
{
    const FileSizeSignalIgnored signalIgnored;
    const auto bytesOf = [&](const std::function<bool(const std::vector<std::uint8_t>&)>& sink) {
        return produceSequenceBytes(entryCount, repeatCount, entryAt, sink);
    };
    SaveProblem unused;
    SaveProblem& said = problem ? *problem : unused;
    said = SaveProblem();

    // The open fails for a file the user may not write: it is not replaced
    // behind its back. Everywhere else the new bytes replace it only once all
    // are written and on the disk.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        const QFileInfo info(path);
        if (!info.isFile() || !info.isWritable() || QFileInfo(info.absolutePath()).isWritable())
            return false;
        // The folder takes no new file but the file may be written: it is
        // written in place.
        return writeInPlace(path, entryCount, bytesOf, said);
    }
    QString unsynced;
    const bool written = bytesOf([&file](const std::vector<std::uint8_t>& chunk) { return writeChunk(file, chunk); });
    if (!written || !syncToDisk(file, unsynced)) {
        // The temporary file goes and the old file stays.
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace files
