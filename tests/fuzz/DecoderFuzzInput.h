#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace quelvane::test {

// A decoder fuzz input: two bytes giving the output size (big-endian), then the code stream.
// The output is a vector of exactly that size, so any write past it trips the address sanitizer.
struct DecoderFuzzInput {
    std::vector<std::uint8_t> output;
    std::span<const std::uint8_t> code;
};

// Splits a fuzzer's bytes; sizes are kept below `sizeLimit`.
DecoderFuzzInput splitFuzzInput(const std::uint8_t* data, std::size_t size, std::size_t sizeLimit);

// The seed file for an output size and a code stream.
std::vector<std::uint8_t> joinFuzzInput(std::size_t outputSize, std::span<const std::uint8_t> code);

}  // namespace quelvane::test
