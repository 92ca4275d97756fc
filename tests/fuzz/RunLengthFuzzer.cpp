#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "compression/CompressionFailure.h"
#include "compression/RunLengthDecoder.h"
#include "tests/fuzz/DecoderFuzzInput.h"

// The run-length decoder over arbitrary streams, taking its output in windows of a size the
// input chooses, as a reader resuming at checkpoints does: each call writes within its window
// and the decoder stops as soon as neither input nor output lets it go on.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kOutputLimit = 0x10000;
    constexpr std::size_t kWindowMask = 0x3FF;
    quelvane::test::DecoderFuzzInput input = quelvane::test::splitFuzzInput(data, size, kOutputLimit);
    std::size_t window = (input.output.size() & kWindowMask) + 1;
    quelvane::RunLengthDecoder decoder;
    std::span<const std::uint8_t> code = input.code;
    std::span<std::uint8_t> output(input.output);
    std::size_t written = 0;
    try {
        while (written < output.size()) {
            std::size_t take = std::min(window, output.size() - written);
            std::size_t before = code.size();
            std::size_t n = decoder.decode(code, output.subspan(written, take));
            if (n > take) {
                std::abort();
            }
            written += n;
            if (n == 0 && code.size() == before) {
                break;
            }
        }
    } catch (const quelvane::CompressionFailure&) {
    }
    return 0;
}
