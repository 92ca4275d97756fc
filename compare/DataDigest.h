#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace quelvane {

// A 64-bit digest of bytes given in pieces of any size: the same bytes give the same digest
// however they are cut. Not a cryptographic hash: it tells two saves' copies of the same data
// apart from changed data, where a chance collision costs one unreported difference.
class DataDigest {
  public:
    void add(std::span<const std::uint8_t> bytes);
    void add(std::uint8_t byte) { add(std::span<const std::uint8_t>(&byte, 1)); }
    std::uint64_t value() const;
    std::int64_t length() const { return length_; }

  private:
    void mix(std::uint64_t word);

    std::uint64_t state_ = 0x243F6A8885A308D3ULL;
    std::array<std::uint8_t, 8> pending_{};
    std::size_t pendingSize_ = 0;
    std::int64_t length_ = 0;
};

}  // namespace quelvane
