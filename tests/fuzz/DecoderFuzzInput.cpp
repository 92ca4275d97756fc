#include "tests/fuzz/DecoderFuzzInput.h"

namespace quelvane::test {

namespace {

constexpr std::size_t kSizeBytes = 2;
constexpr unsigned kByteBits = 8;

}  // namespace

DecoderFuzzInput splitFuzzInput(const std::uint8_t* data, std::size_t size, std::size_t sizeLimit) {
    DecoderFuzzInput input;
    if (size < kSizeBytes) {
        return input;
    }
    std::size_t outputSize = ((static_cast<std::size_t>(data[0]) << kByteBits) | data[1]) % sizeLimit;
    input.output.resize(outputSize);
    input.code = std::span<const std::uint8_t>(data + kSizeBytes, size - kSizeBytes);
    return input;
}

std::vector<std::uint8_t> joinFuzzInput(std::size_t outputSize, std::span<const std::uint8_t> code) {
    std::vector<std::uint8_t> joined = {static_cast<std::uint8_t>(outputSize >> kByteBits),
                                        static_cast<std::uint8_t>(outputSize)};
    joined.insert(joined.end(), code.begin(), code.end());
    return joined;
}

}  // namespace quelvane::test
