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

// Why a save did not write its file, and what became of the file.
struct SaveProblem {
    // Empty when there is nothing to say but that the file could not be
    // written (for one, when it cannot be opened).
    QString reason;
    // The file at the path holds what it held before the save: false only
    // when a save in place failed and its old bytes could not be put back.
    bool fileKept = true;
};

// Writes the file for `entryCount` clicks played `repeatCount` times, the
// k-th click from `entryAt(k)`, walking the clicks once. The bytes go to a
// temporary file beside `path` that replaces it only once every byte was
// written and is on the disk; on any failure (at open, while writing, on the
// final rename, or a count the format cannot state) the file at `path` is
// left untouched and false is returned. Where the folder takes no new file
// but the file at `path` is writable, the file is written in place instead:
// a size limit or a full disk that would stop the new bytes refuses the save
// before the first one, and whatever else fails before the new bytes are on
// the disk, the old ones are put back. `problem` says why and what became of
// the file.
bool writeSequenceFile(const QString& path, int entryCount, std::int32_t repeatCount,
                       const std::function<CClickEntry(int k)>& entryAt, SaveProblem* problem = nullptr);

} // namespace files
