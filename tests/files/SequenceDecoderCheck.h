// Properties every decode of any run of bytes must have, shared by the seeded
// random test and the libFuzzer target.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace files::test {

// Decodes a private copy of `data` held in a heap block of exactly `size`
// bytes (so AddressSanitizer reports any read past the end) and checks what
// came out against the bytes: the header flags and values, the number of
// entries (never more than (size - 8) / 26), the early-end flag, the memory
// held (bounded by the input, not by the stated count) and that encoding the
// entries again gives the input's records back (cursor back as 0 or 1, both
// Y copies equal to the second). Returns an empty string when all hold,
// otherwise what failed.
std::string checkDecoder(const std::uint8_t* data, std::size_t size);

} // namespace files::test
