// Appends little-endian integers to a growing byte buffer, whatever the byte
// order of the machine, with no padding between values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace files {

class ByteWriter {
public:
    // Makes room for `total` bytes in all, so that a writer that knows its
    // final size never reallocates.
    void reserve(std::size_t total) { m_bytes.reserve(total); }

    // The little-endian bytes of a value at `out`, for a record built whole
    // before it is appended with appendBytes.
    static void putU32(std::uint8_t* out, std::uint32_t value)
    {
        out[0] = static_cast<std::uint8_t>(value);
        out[1] = static_cast<std::uint8_t>(value >> 8);
        out[2] = static_cast<std::uint8_t>(value >> 16);
        out[3] = static_cast<std::uint8_t>(value >> 24);
    }
    static void putU16(std::uint8_t* out, std::uint16_t value)
    {
        out[0] = static_cast<std::uint8_t>(value);
        out[1] = static_cast<std::uint8_t>(value >> 8);
    }

    void appendBytes(const std::uint8_t* data, std::size_t size) { m_bytes.insert(m_bytes.end(), data, data + size); }

    void appendU32(std::uint32_t value)
    {
        std::uint8_t bytes[4];
        putU32(bytes, value);
        appendBytes(bytes, sizeof bytes);
    }

    // Signed values are stored as their two's-complement bit pattern.
    void appendI32(std::int32_t value) { appendU32(static_cast<std::uint32_t>(value)); }

    void appendU16(std::uint16_t value)
    {
        std::uint8_t bytes[2];
        putU16(bytes, value);
        appendBytes(bytes, sizeof bytes);
    }

    std::size_t size() const { return m_bytes.size(); }
    const std::vector<std::uint8_t>& bytes() const { return m_bytes; }
    // Hands the buffer over; the writer is empty afterwards.
    std::vector<std::uint8_t> take() { return std::exchange(m_bytes, {}); }

private:
    std::vector<std::uint8_t> m_bytes;
};

} // namespace files
