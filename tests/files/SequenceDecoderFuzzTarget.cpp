// libFuzzer target for the sequence file decoder. Built only when the tree is
// configured with clang and QUORVEL_FUZZ=ON, in a folder of its own:
//
//   CC=clang CXX=clang++ cmake -S . -B build-fuzz -DQUORVEL_APP=OFF -DQUORVEL_FUZZ=ON
//   cmake --build build-fuzz -j2 --target quorvel_fuzz_sequence
//   build-fuzz/quorvel_fuzz_sequence -max_total_time=60 -max_len=4096
//
// (clang's libFuzzer runtime comes with Debian's libclang-rt-14-dev.)
#include "SequenceDecoderCheck.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string failure = files::test::checkDecoder(data, size);
    if (!failure.empty()) {
        std::fprintf(stderr, "decoder property failed: %s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
