#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace quelvane {

// Reads a code stream bit by bit, most significant bit of each byte first, as both chunk codes
// (TERSE's 12-bit codes and LZ1's variable-length tokens) are laid out. A 64-bit window is topped
// up eight bytes at a time while the input allows, so most reads cost a shift and a mask. Asking
// for more bits than the stream holds raises CompressionFailure: the stream ended within a code.
class BitReader {
  public:
    explicit BitReader(std::span<const std::uint8_t> code) : code_(code) {}

    // The next `count` bits (1 to 32) as a number.
    std::uint32_t read(unsigned count) {
        if (ready_ < count) {
            refill(count);
        }
        return take(count);
    }

    // The next `count` bits without consuming them; bits past the end of the stream read as 0.
    // `count` is 1 to 32.
    std::uint32_t peek(unsigned count) {
        if (ready_ < count) {
            fill();
        }
        return static_cast<std::uint32_t>(window_ >> (kWindowBits - count));
    }

    // Consumes bits already looked at with `peek`; raises CompressionFailure when fewer remain.
    void skip(unsigned count) {
        if (ready_ < count) {
            refill(count);
        }
        window_ <<= count;
        ready_ -= count;
    }

    // Bits of the stream not yet read.
    std::size_t bitsLeft() const { return ready_ + (code_.size() - next_) * 8; }

  private:
    static constexpr unsigned kWindowBits = 64;

    std::uint32_t take(unsigned count) {
        auto value = static_cast<std::uint32_t>(window_ >> (kWindowBits - count));
        window_ <<= count;
        ready_ -= count;
        return value;
    }

    // Tops the window up to at least 57 bits, or to the end of the stream.
    void fill();
    // As fill, then raises CompressionFailure when fewer than `count` bits are ready.
    void refill(unsigned count);

    std::span<const std::uint8_t> code_;
    std::size_t next_ = 0;
    std::uint64_t window_ = 0;
    unsigned ready_ = 0;
};

}  // namespace quelvane
