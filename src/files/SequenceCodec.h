// The bytes of a sequence file (.tpx) and back.
//
// A file is a flat run of little-endian integers: the entry count (int32),
// the repeat count (int32), then one 26-byte record per click in list order:
// cursor back (int32, saved as 0 or 1), delay (u32), X (u32), Y (u32), Y again
// (u32), click type (int32), serial (u16). No magic number, no padding, no
// trailer; a file for n clicks is 8 + 26 n bytes.
//
// Nothing here touches files or Qt: the load and save paths read and write
// the bytes, these functions only translate them.
#pragma once

#include "files/ByteWriter.h"
#include "sequence/CClickEntry.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace files {

constexpr std::size_t kSequenceHeaderSize = 8;
constexpr std::size_t kSequenceRecordSize = 26;

// What a decoder found in a run of bytes. Values are taken as stored; nothing
// is validated.
struct DecodedSequence {
    bool hasEntryCount = false;  // the first four bytes were present
    bool hasRepeatCount = false; // the next four too; only then does repeatCount hold a stored value
    std::int32_t entryCount = 0; // as stored: may be negative or more than the records present
    std::int32_t repeatCount = 0;
    std::vector<CClickEntry> entries; // the complete records read, in file order
    // The data ended inside the header or before entryCount records were
    // complete (a partly present record is dropped).
    bool endedEarly = false;
};

// Writes the two header values. Throws std::length_error for more entries
// than the signed 32-bit count can state, rather than writing a wrapped
// count that would make the file read back as something else.
void appendSequenceHeader(ByteWriter& writer, std::size_t entryCount, std::int32_t repeatCount);

// Writes one 26-byte record. Any non-zero cursor-back flag is written as 1.
void appendSequenceRecord(ByteWriter& writer, const CClickEntry& entry);

// The whole file for `entries` played `repeatCount` times (header, then every
// record). Throws std::length_error as appendSequenceHeader does.
std::vector<std::uint8_t> encodeSequence(std::int32_t repeatCount, const std::vector<CClickEntry>& entries);

// Reads a whole file in one pass. Never reads past `size` bytes, and the
// memory it takes is bounded by `size` whatever count the header states.
// A record becomes an entry only when all seven of its fields are present;
// of the two Y values the second is kept; bytes after the last stated record
// are ignored; a count of zero or less reads no records.
DecodedSequence decodeSequence(const std::uint8_t* data, std::size_t size);

inline DecodedSequence decodeSequence(const std::vector<std::uint8_t>& bytes)
{
    return decodeSequence(bytes.data(), bytes.size());
}

} // namespace files
