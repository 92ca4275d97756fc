#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace quelvane {

// The LZ1 code of *HIGH compression: one bit stream per chunk, most significant bit first, with
// the chunk's own history (a 2 KiB window over the chunk's output).
//   literal  0, then the 8-bit byte
//   copy     1, LENGTH, DISTANCE: LENGTH bytes from DISTANCE bytes back; copies may overlap
//   LENGTH   k zero bits, then a (k+2)-bit number whose top bit is 1: 2-255; 255 is the end code
//   DISTANCE 1 and 7 bits (1-127), or 0 and 11 bits (128-2047)
//   end      a copy of LENGTH 255 followed by a 1 bit; zero bits pad the byte
class Lz1Decoder {
  public:
    // Expands one chunk's code stream into `output`, returning the bytes written. Raises
    // CompressionFailure for a stream that ends before its end code, a copy reaching before the
    // chunk's start, output past the size of `output`, or a malformed length or end code.
    static std::size_t decode(std::span<const std::uint8_t> code, std::span<std::uint8_t> output);
};

}  // namespace quelvane
