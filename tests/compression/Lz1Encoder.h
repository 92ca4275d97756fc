#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace quelvane::test {

// Encodes one chunk in the LZ1 code the decoder reads, greedily: at each position the longest
// earlier match within 2047 bytes found through a hash of the next three bytes, else a literal.
// For round-trip tests and for generating benchmark data.
class Lz1Encoder {
  public:
    static std::vector<std::uint8_t> encode(std::span<const std::uint8_t> data);
};

}  // namespace quelvane::test
