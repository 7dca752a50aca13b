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

bool writeChunk(QFileDevice& file, const std::vector<std::uint8_t>& bytes)
{
    const qint64 size = static_cast<qint64>(bytes.size());
    if (size == 0)
        return true;
    return file.write(reinterpret_cast<const char*>(bytes.data()), size) == size;
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

// Overwrites the file at `path` with the bytes `bytesOf` gives. The new size
// is reserved first: a full disk or a size limit then refuses the save
// before the first byte changes (said in `refusal`), rather than cutting the
// file short halfway. A file never ends up shorter than the new bytes.
bool writeInPlace(const QString& path, int entryCount, const std::function<bool(const ChunkSink&)>& bytesOf,
                  QString* refusal)
{
    if (entryCount < 0 ||
        static_cast<std::size_t>(entryCount) > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        return false;
    const qint64 newSize = static_cast<qint64>(kSequenceHeaderSize) +
                           static_cast<qint64>(kSequenceRecordSize) * static_cast<qint64>(entryCount);
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return false;
    QString problem;
    if (!reserveFileSpace(file, newSize, problem)) {
        if (refusal)
            *refusal = problem;
        return false;
    }
    qint64 done = 0;
    const bool written = bytesOf([&](const std::vector<std::uint8_t>& chunk) {
        done += static_cast<qint64>(chunk.size());
        return done <= newSize && writeChunk(file, chunk);
    });
    if (!written || done != newSize)
        return false;
    return file.resize(newSize) && file.flush();
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
                       const std::function<CClickEntry(int k)>& entryAt, QString* refusal)
{
    surviveFileSizeLimit();
    const auto bytesOf = [&](const std::function<bool(const std::vector<std::uint8_t>&)>& sink) {
        return produceSequenceBytes(entryCount, repeatCount, entryAt, sink);
    };

    // The open fails for a file the user may not write: it is not replaced
    // behind its back. Everywhere else the new bytes replace it only once all
    // are written.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        const QFileInfo info(path);
        if (!info.isFile() || !info.isWritable() || QFileInfo(info.absolutePath()).isWritable())
            return false;
        // The folder takes no new file but the file may be written: it is
        // written in place.
        return writeInPlace(path, entryCount, bytesOf, refusal);
    }
    const bool written = bytesOf([&file](const std::vector<std::uint8_t>& chunk) { return writeChunk(file, chunk); });
    if (!written) {
        // The temporary file goes and the old file stays.
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace files
