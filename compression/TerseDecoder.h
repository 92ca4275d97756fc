#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace quelvane {

// The TERSE code of *MEDIUM compression, in its PACK form without a file header: 12-bit codes,
// most significant bit first. Code 0 ends the chunk; 1-256 stand for the byte code-1; 257 is a
// record mark, which adds nothing to the data; 258-4095 are dictionary nodes. Each node is an
// earlier string extended by one character (its parent's string plus the first character of
// the string that followed it). The dictionary starts as one chain of blanks (node 258 two
// blanks, 259 three, ...) and every code takes over the least recently used node for the new
// string, so the first new node is 4095, then 4094, ... A node and every node above it move to
// the front of the use order whenever it is expanded, parents ahead of their children, so the
// node taken over never has children.
// One object holds the dictionary (about 40 KiB); decode resets it for every chunk.
class TerseDecoder {
  public:
    // Expands one chunk's code stream into `output`, returning the bytes written. Raises
    // CompressionFailure for a stream that ends before its end code, a code naming the node
    // being taken over, or output past the size of `output`.
    std::size_t decode(std::span<const std::uint8_t> code, std::span<std::uint8_t> output);

  private:
    static constexpr std::size_t kNodeCount = 4096;

    // A dictionary node and its place in the use order, kept together so that following a
    // node touches one cache line.
    struct Node {
        std::uint16_t parent;
        std::uint16_t extension;
        std::uint16_t newer;
        std::uint16_t older;
    };

    void reset();
    // Takes `taken` out of the use order, follows `node` up to its root and puts the path, parents
    // first, then `taken`, at the front. Leaves the path (from `node` up to the root's child) in
    // path_ and returns the root.
    std::uint16_t climb(std::uint16_t node, std::uint16_t taken, std::size_t& depth);

    std::array<Node, kNodeCount> nodes_{};
    std::array<std::uint16_t, kNodeCount> path_{};
};

}  // namespace quelvane
