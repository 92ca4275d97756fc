#include "compression/TerseDecoder.h"

#include <string>

#include "compression/BitReader.h"
#include "compression/CompressionFailure.h"

namespace quelvane {

namespace {

constexpr unsigned kCodeBits = 12;
constexpr std::uint16_t kEndCode = 0;
constexpr std::uint16_t kRecordMark = 257;
constexpr std::uint16_t kFirstNode = 258;
constexpr std::uint16_t kLastNode = 4095;
// The use order is a ring through this entry, which is no node: codes 0-257 are not nodes.
constexpr std::uint16_t kRing = 0;
// The code of an EBCDIC blank (byte 0x40), from which the preset chain hangs.
constexpr std::uint16_t kBlankCode = 0x40 + 1;

[[noreturn]] void failPastOutput(std::size_t size) {
    throw CompressionFailure("TERSE data expands past the chunk's declared length of " +
                             std::to_string(size) + " bytes");
}

}  // namespace

void TerseDecoder::reset() {
    for (std::uint16_t node = kFirstNode; node <= kLastNode; ++node) {
        nodes_[node] = {node == kFirstNode ? kBlankCode : static_cast<std::uint16_t>(node - 1), kBlankCode,
                        node == kFirstNode ? kRing : static_cast<std::uint16_t>(node - 1),
                        node == kLastNode ? kRing : static_cast<std::uint16_t>(node + 1)};
    }
    nodes_[kRing].older = kFirstNode;
    nodes_[kRing].newer = kLastNode;
}

std::uint16_t TerseDecoder::climb(std::uint16_t node, std::uint16_t taken, std::size_t& depth) {
    // The path is gathered as a chain ending in `taken`, then spliced in at the front at once.
    nodes_[nodes_[taken].newer].older = nodes_[taken].older;
    nodes_[nodes_[taken].older].newer = nodes_[taken].newer;
    std::uint16_t first = taken;
    depth = 0;
    while (node >= kFirstNode) {
        if (depth == path_.size()) {
            throw CompressionFailure("TERSE dictionary chain does not end");
        }
        Node& n = nodes_[node];
        nodes_[n.newer].older = n.older;
        nodes_[n.older].newer = n.newer;
        n.older = first;
        nodes_[first].newer = node;
        first = node;
        path_[depth++] = node;
        node = n.parent;
    }
    std::uint16_t front = nodes_[kRing].older;
    nodes_[taken].older = front;
    nodes_[front].newer = taken;
    nodes_[first].newer = kRing;
    nodes_[kRing].older = first;
    return node;
}

std::size_t TerseDecoder::decode(std::span<const std::uint8_t> code, std::span<std::uint8_t> output) {
    reset();
    BitReader bits(code);
    std::uint8_t* out = output.data();
    const std::size_t size = output.size();
    std::size_t written = 0;
    // The node made by the previous code, whose last character is the first of the next string.
    std::uint16_t pending = kRing;
    for (;;) {
        auto current = static_cast<std::uint16_t>(bits.read(kCodeBits));
        if (current == kEndCode) {
            return written;
        }
        std::uint16_t taken = nodes_[kRing].newer;
        if (current == taken) {
            throw CompressionFailure("TERSE code " + std::to_string(current) +
                                     " names the dictionary node being replaced, at output offset " +
                                     std::to_string(written));
        }
        std::size_t depth = 0;
        std::uint16_t root = climb(current, taken, depth);
        nodes_[pending].extension = root;
        if (size - written <= depth) {
            std::size_t needed = root == kRecordMark ? 0 : 1;
            for (std::size_t i = 0; i < depth; ++i) {
                needed += nodes_[path_[i]].extension == kRecordMark ? 0 : 1;
            }
            if (needed > size - written) {
                failPastOutput(size);
            }
        }
        if (root != kRecordMark) {
            out[written++] = static_cast<std::uint8_t>(root - 1);
        }
        for (std::size_t i = depth; i-- > 0;) {
            std::uint16_t character = nodes_[path_[i]].extension;
            if (character != kRecordMark) {
                out[written++] = static_cast<std::uint8_t>(character - 1);
            }
        }
        nodes_[taken].parent = current;
        pending = taken;
    }
}

}  // namespace quelvane
