#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "compression/ChunkDecoders.h"
#include "compression/CompressionFailure.h"
#include "tests/fuzz/DecoderFuzzInput.h"

// One chunk decoder over arbitrary code streams and output sizes up to a chunk's 0x8000: it
// either expands within the output or reports the damage, and never returns more than it holds.
// The decoder is chosen at build time, one program per decoder.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kChunkLimit = 0x8001;
    quelvane::test::DecoderFuzzInput input = quelvane::test::splitFuzzInput(data, size, kChunkLimit);
    try {
        std::size_t written = QUELVANE_FUZZED_DECODER(input.code, input.output);
        if (written > input.output.size()) {
            std::abort();
        }
    } catch (const quelvane::CompressionFailure&) {
    }
    return 0;
}
