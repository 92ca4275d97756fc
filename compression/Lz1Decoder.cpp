#include "compression/Lz1Decoder.h"

#include <bit>
#include <cstring>
#include <string>

#include "compression/BitReader.h"
#include "compression/CompressionFailure.h"

namespace quelvane {

namespace {

constexpr unsigned kLiteralBits = 8;
constexpr unsigned kShortDistanceBits = 7;
constexpr unsigned kLongDistanceBits = 11;
// A LENGTH code has at most 6 leading zero bits: 0000001 and 7 bits is 128-255.
constexpr unsigned kMostLengthZeros = 6;
constexpr unsigned kLengthPeekBits = kMostLengthZeros + 1;
constexpr std::uint32_t kEndLength = 255;

// LENGTH: the zero bits counted, then the number whose top bit is the 1 that ended them.
std::uint32_t readLength(BitReader& bits) {
    std::uint32_t prefix = bits.peek(kLengthPeekBits);
    if (prefix == 0) {
        if (bits.bitsLeft() < kLengthPeekBits) {
            throw CompressionFailure("the code stream ends within a code, before its end code");
        }
        throw CompressionFailure("LZ1 copy length code longer than 8 bits");
    }
    unsigned zeros = static_cast<unsigned>(std::countl_zero(prefix)) - (32 - kLengthPeekBits);
    bits.skip(zeros);
    return bits.read(zeros + 2);
}

std::uint32_t readDistance(BitReader& bits) {
    std::uint32_t distance = bits.read(1) != 0 ? bits.read(kShortDistanceBits) : bits.read(kLongDistanceBits);
    if (distance == 0) {
        throw CompressionFailure("LZ1 copy distance 0");
    }
    return distance;
}

void copyWithin(std::uint8_t* out, std::size_t at, std::size_t distance, std::size_t length) {
    std::uint8_t* to = out + at;
    const std::uint8_t* from = to - distance;
    if (distance >= length) {
        std::memcpy(to, from, length);
        return;
    }
    for (std::size_t i = 0; i < length; ++i) {
        to[i] = from[i];
    }
}

[[noreturn]] void failPastOutput(std::size_t size) {
    throw CompressionFailure("LZ1 data expands past the chunk's declared length of " + std::to_string(size) +
                             " bytes");
}

}  // namespace

std::size_t Lz1Decoder::decode(std::span<const std::uint8_t> code, std::span<std::uint8_t> output) {
    BitReader bits(code);
    std::uint8_t* out = output.data();
    const std::size_t size = output.size();
    std::size_t written = 0;
    for (;;) {
        if (bits.read(1) == 0) {
            if (written == size) {
                failPastOutput(size);
            }
            out[written++] = static_cast<std::uint8_t>(bits.read(kLiteralBits));
            continue;
        }
        std::uint32_t length = readLength(bits);
        if (length == kEndLength) {
            if (bits.read(1) != 1) {
                throw CompressionFailure("LZ1 end code not followed by its 1 bit");
            }
            return written;
        }
        std::uint32_t distance = readDistance(bits);
        if (distance > written) {
            throw CompressionFailure("LZ1 copy from " + std::to_string(distance) +
                                     " bytes back at output offset " + std::to_string(written) +
                                     " reaches before the chunk's start");
        }
        if (length > size - written) {
            failPastOutput(size);
        }
        copyWithin(out, written, distance, length);
        written += length;
    }
}

}  // namespace quelvane
