#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace quelvane::test {

// Encodes one chunk in the TERSE PACK code the decoder reads: greedy longest match through a
// dictionary kept exactly as the decoder keeps it (the preset chain of blanks, nodes taken over
// in least-recently-used order, expanded paths moved to the front), never sending the node about
// to be taken over. For round-trip tests and for generating benchmark data.
class TerseEncoder {
  public:
    TerseEncoder();
    std::vector<std::uint8_t> encode(std::span<const std::uint8_t> data);

  private:
    static constexpr std::size_t kNodeCount = 4096;
    static constexpr std::size_t kCharacters = 258;

    void moveToFront(std::uint16_t node);
    std::uint16_t& child(std::uint16_t parent, std::uint16_t character) {
        return children_[parent * kCharacters + character];
    }

    std::vector<std::uint16_t> parent_;
    std::vector<std::uint16_t> extension_;
    std::vector<std::uint16_t> newer_;
    std::vector<std::uint16_t> older_;
    std::vector<std::uint16_t> children_;
};

}  // namespace quelvane::test
