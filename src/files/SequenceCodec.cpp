#include "files/SequenceCodec.h"

#include "files/ByteReader.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace files {

void appendSequenceHeader(ByteWriter& writer, std::size_t entryCount, std::int32_t repeatCount)
{
    if (entryCount > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw std::length_error("too many clicks for one sequence file");
    writer.appendI32(static_cast<std::int32_t>(entryCount));
    writer.appendI32(repeatCount);
}

void appendSequenceRecord(ByteWriter& writer, const CClickEntry& entry)
{
    // Built whole and appended at once: a million records are a save's
    // main work.
    std::uint8_t record[kSequenceRecordSize];
    ByteWriter::putU32(record, entry.m_cursorBack != 0 ? 1u : 0u);
    ByteWriter::putU32(record + 4, entry.m_delay);
    ByteWriter::putU32(record + 8, entry.m_x);
    ByteWriter::putU32(record + 12, entry.m_y);
    ByteWriter::putU32(record + 16, entry.m_y);
    ByteWriter::putU32(record + 20, static_cast<std::uint32_t>(entry.m_clickType));
    ByteWriter::putU16(record + 24, entry.m_serial);
    writer.appendBytes(record, sizeof record);
}

std::vector<std::uint8_t> encodeSequence(std::int32_t repeatCount, const std::vector<CClickEntry>& entries)
{
    ByteWriter writer;
    appendSequenceHeader(writer, entries.size(), repeatCount); // checks the count first
    writer.reserve(kSequenceHeaderSize + kSequenceRecordSize * entries.size());
    for (const CClickEntry& entry : entries)
        appendSequenceRecord(writer, entry);
    return writer.take();
}

namespace {

// Reads the seven fields of one record into `entry`; false when the data
// ends before the last of them.
bool takeRecord(ByteReader& reader, CClickEntry& entry)
{
    std::int32_t cursorBack = 0;
    std::int32_t clickType = 0;
    std::uint32_t firstY = 0; // the second copy of Y is the one kept
    if (!reader.takeI32(cursorBack) || !reader.takeU32(entry.m_delay) || !reader.takeU32(entry.m_x) ||
        !reader.takeU32(firstY) || !reader.takeU32(entry.m_y) || !reader.takeI32(clickType) ||
        !reader.takeU16(entry.m_serial))
        return false;
    entry.m_cursorBack = cursorBack;
    entry.m_clickType = clickType;
    return true;
}

} // namespace

DecodedSequence decodeSequence(const std::uint8_t* data, std::size_t size)
{
    DecodedSequence result;
    ByteReader reader(data, size);

    result.hasEntryCount = reader.takeI32(result.entryCount);
    if (result.hasEntryCount)
        result.hasRepeatCount = reader.takeI32(result.repeatCount);
    if (!result.hasRepeatCount) {
        result.endedEarly = true;
        return result;
    }
    if (result.entryCount <= 0)
        return result;

    // Room for the records that can actually be there, never for the count
    // the file claims: a 8-byte file may state two billion entries.
    const std::size_t stated = static_cast<std::size_t>(result.entryCount);
    const std::size_t present = reader.remaining() / kSequenceRecordSize;
    result.entries.reserve(std::min(stated, present));

    for (std::size_t k = 0; k < stated; ++k) {
        CClickEntry entry;
        if (!takeRecord(reader, entry)) {
            result.endedEarly = true;
            break;
        }
        result.entries.push_back(entry);
    }
    return result;
}

} // namespace files
