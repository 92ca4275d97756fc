#include "tests/compression/BitWriter.h"

#include <bit>

namespace quelvane::test {

namespace {

constexpr unsigned kByteBits = 8;
constexpr unsigned kShortDistanceBits = 7;
constexpr unsigned kLongDistanceBits = 11;
constexpr std::uint32_t kShortDistanceLimit = 128;
constexpr std::uint32_t kEndLength = 255;
constexpr unsigned kTerseCodeBits = 12;

}  // namespace

BitWriter& BitWriter::bits(std::uint32_t value, unsigned count) {
    for (unsigned i = count; i-- > 0;) {
        bits_.push_back(((value >> i) & 1U) != 0);
    }
    return *this;
}

BitWriter& BitWriter::literal(std::uint8_t byte) {
    return bits(0, 1).bits(byte, kByteBits);
}

BitWriter& BitWriter::length(std::uint32_t value) {
    auto width = static_cast<unsigned>(std::bit_width(value));
    return bits(0, width - 2).bits(value, width);
}

BitWriter& BitWriter::copy(std::uint32_t lengthValue, std::uint32_t distance) {
    bits(1, 1).length(lengthValue);
    if (distance < kShortDistanceLimit) {
        return bits(1, 1).bits(distance, kShortDistanceBits);
    }
    return bits(0, 1).bits(distance, kLongDistanceBits);
}

BitWriter& BitWriter::end() {
    return bits(1, 1).length(kEndLength).bits(1, 1);
}

BitWriter& BitWriter::codes(std::initializer_list<std::uint16_t> twelveBitCodes) {
    for (std::uint16_t code : twelveBitCodes) {
        bits(code, kTerseCodeBits);
    }
    return *this;
}

std::vector<std::uint8_t> BitWriter::bytes() const {
    std::vector<std::uint8_t> out((bits_.size() + kByteBits - 1) / kByteBits, 0);
    for (std::size_t i = 0; i < bits_.size(); ++i) {
        if (bits_[i]) {
            out[i / kByteBits] |= static_cast<std::uint8_t>(0x80U >> (i % kByteBits));
        }
    }
    return out;
}

}  // namespace quelvane::test
