// Sequence files on disk: reading one in one go, and writing one so that the
// file it replaces survives any failure.
#pragma once

#include "files/SequenceCodec.h"

#include <QString>

#include <cstdint>
#include <functional>

namespace files {

// The extension test of loading, saving and dropping: the name's last four
// characters (the whole name when shorter) are ".tpx" in any case.
bool hasSequenceExtension(const QString& name);

struct SequenceFileRead {
    enum class Status {
        Read,       // `sequence` holds what the bytes decode to
        Missing,    // no file of that name
        Unreadable, // the name exists but cannot be read; `reason` says why
    };
    Status status = Status::Missing;
    QString reason;
    DecodedSequence sequence;
};

// Reads the file at `path` and decodes it. Only the header and the records
// it states are read, in one read each, so bytes after the last record cost
// nothing.
SequenceFileRead readSequenceFile(const QString& path);

// Writes the file for `entryCount` clicks played `repeatCount` times, the
// k-th click from `entryAt(k)`, walking the clicks once. The bytes go to a
// temporary file beside `path` that replaces it only when every byte was
// written; on any failure (at open, while writing, on the final rename, or a
// count the format cannot state) the file at `path` is left untouched and
// false is returned. Where the folder takes no new file but the file at
// `path` is writable, the file is written in place instead, once room for
// all its new bytes is set aside; where that room cannot be had (a full
// disk, a file size limit), the file is left unchanged and `refusal` says
// why.
bool writeSequenceFile(const QString& path, int entryCount, std::int32_t repeatCount,
                       const std::function<CClickEntry(int k)>& entryAt, QString* refusal = nullptr);

} // namespace files
