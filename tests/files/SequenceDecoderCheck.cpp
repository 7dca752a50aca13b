#include "SequenceDecoderCheck.h"

#include "files/SequenceCodec.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace files::test {

namespace {

std::int32_t storedI32(const std::uint8_t* p)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                                     static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24);
}

void store32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

} // namespace

std::string checkDecoder(const std::uint8_t* data, std::size_t size)
{
    // An exact-size block: one byte too far is a heap overflow under ASan.
    std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[size]);
    if (size)
        std::memcpy(copy.get(), data, size);
    const DecodedSequence decoded = decodeSequence(copy.get(), size);

    if (decoded.hasEntryCount != (size >= 4) || decoded.hasRepeatCount != (size >= 8))
        return "header flags do not match a size of " + std::to_string(size);
    const std::size_t room = size >= kSequenceHeaderSize ? (size - kSequenceHeaderSize) / kSequenceRecordSize : 0;
    if (decoded.entries.size() > room)
        return "more entries than records fit in the data";
    if (decoded.entries.capacity() > room)
        return "memory held exceeds what the data can fill: capacity " + std::to_string(decoded.entries.capacity());
    if (size < kSequenceHeaderSize) {
        if (!decoded.entries.empty() || !decoded.endedEarly)
            return "a short header must give no entries and an early end";
        return {};
    }

    const std::int32_t count = storedI32(data);
    if (decoded.entryCount != count || decoded.repeatCount != storedI32(data + 4))
        return "header values differ from the stored ones";
    const std::size_t wanted = count <= 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(count), room);
    if (decoded.entries.size() != wanted)
        return "read " + std::to_string(decoded.entries.size()) + " entries, expected " + std::to_string(wanted);
    const bool short_ = count > 0 && static_cast<std::size_t>(count) > room;
    if (decoded.endedEarly != short_)
        return "early-end flag is wrong";

    // Written again, the entries give back the records they came from, in the
    // form a save writes them.
    std::vector<std::uint8_t> expected(data, data + kSequenceHeaderSize + kSequenceRecordSize * wanted);
    store32(expected.data(), static_cast<std::uint32_t>(wanted));
    for (std::size_t k = 0; k < wanted; ++k) {
        std::uint8_t* record = expected.data() + kSequenceHeaderSize + kSequenceRecordSize * k;
        store32(record, storedI32(record) != 0 ? 1 : 0);
        std::memcpy(record + 12, record + 16, 4);
    }
    if (encodeSequence(decoded.repeatCount, decoded.entries) != expected)
        return "re-encoded entries differ from the stored records";
    return {};
}

} // namespace files::test
