// Takes little-endian integers from a byte range, front to back. A take that
// needs more bytes than remain fails, reads nothing and leaves the position
// where it was, so no value is ever assembled from bytes past the end.
#pragma once

#include <cstddef>
#include <cstdint>

namespace files {

class ByteReader {
public:
    // The reader does not own the bytes; they must outlive it.
    ByteReader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    bool takeU32(std::uint32_t& value)
    {
        if (remaining() < 4)
            return false;
        const std::uint8_t* p = m_data + m_position;
        value = static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
        m_position += 4;
        return true;
    }

    // The stored bit pattern read back as a two's-complement value.
    bool takeI32(std::int32_t& value)
    {
        std::uint32_t bits = 0;
        if (!takeU32(bits))
            return false;
        value = static_cast<std::int32_t>(bits);
        return true;
    }

    bool takeU16(std::uint16_t& value)
    {
        if (remaining() < 2)
            return false;
        const std::uint8_t* p = m_data + m_position;
        value = static_cast<std::uint16_t>(p[0] | p[1] << 8);
        m_position += 2;
        return true;
    }

    std::size_t position() const { return m_position; }
    std::size_t remaining() const { return m_size - m_position; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_position = 0;
};

} // namespace files
