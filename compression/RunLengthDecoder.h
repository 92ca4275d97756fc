#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace quelvane {

// The run-length code of *LOW compression, one stream for a whole segment's data. A control
// byte c of 0x01-0x7F is followed by c literal bytes; 0xC0-0xFF by one byte repeated (c & 0x3F)
// times; 0x80-0xBF stands for an EBCDIC blank repeated (c & 0x3F) times. 0x00 does not occur.
// The decoder is resumable: input may arrive in pieces and output be taken in pieces, and the
// whole state is this small copyable object, so a reader can keep checkpoints of it.
class RunLengthDecoder {
  public:
    // Expands from `input` into `output` until either is used up; advances `input` past what was
    // consumed and returns the bytes written. Raises CompressionFailure on a 0x00 control byte.
    std::size_t decode(std::span<const std::uint8_t>& input, std::span<std::uint8_t> output);

    // True between runs: no literal or repeat is part-way through.
    bool betweenRuns() const { return literal_ == 0 && repeat_ == 0 && !awaitingRepeatByte_; }

  private:
    std::uint32_t literal_ = 0;
    std::uint32_t repeat_ = 0;
    std::uint8_t repeatByte_ = 0;
    std::uint32_t awaitingCount_ = 0;
    bool awaitingRepeatByte_ = false;
};

}  // namespace quelvane
