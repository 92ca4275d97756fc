#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace quelvane::test {

// Builds code streams for the decoder tests, most significant bit first, the way the chunk
// codes are laid out; LZ1 tokens and 12-bit TERSE codes are spelled out from their definitions.
class BitWriter {
  public:
    BitWriter& bits(std::uint32_t value, unsigned count);

    BitWriter& literal(std::uint8_t byte);
    // A copy token: 1, the LENGTH code, the DISTANCE code (short form below 128).
    BitWriter& copy(std::uint32_t length, std::uint32_t distance);
    // The LENGTH code alone: k zero bits, then the value in k+2 bits.
    BitWriter& length(std::uint32_t value);
    // 1, LENGTH 255, 1.
    BitWriter& end();

    BitWriter& codes(std::initializer_list<std::uint16_t> twelveBitCodes);

    // The stream so far, its last byte padded with zero bits.
    std::vector<std::uint8_t> bytes() const;

  private:
    std::vector<bool> bits_;
};

}  // namespace quelvane::test
