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
        parent_[node] = node == kFirstNode ? kBlankCode : static_cast<std::uint16_t>(node - 1);
        extension_[node] = kBlankCode;
        newer_[node] = node == kFirstNode ? kRing : static_cast<std::uint16_t>(node - 1);
        older_[node] = node == kLastNode ? kRing : static_cast<std::uint16_t>(node + 1);
    }
    older_[kRing] = kFirstNode;
    newer_[kRing] = kLastNode;
}

void TerseDecoder::moveToFront(std::uint16_t node) {
    std::uint16_t newer = newer_[node];
    std::uint16_t older = older_[node];
    older_[newer] = older;
    newer_[older] = newer;
    std::uint16_t front = older_[kRing];
    older_[node] = front;
    newer_[front] = node;
    newer_[node] = kRing;
    older_[kRing] = node;
}

std::uint16_t TerseDecoder::climb(std::uint16_t node, std::size_t& depth) {
    depth = 0;
    while (node >= kFirstNode) {
        if (depth == path_.size()) {
            throw CompressionFailure("TERSE dictionary chain does not end");
        }
        moveToFront(node);
        path_[depth++] = node;
        node = parent_[node];
    }
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
        std::uint16_t taken = newer_[kRing];
        if (current == taken) {
            throw CompressionFailure("TERSE code " + std::to_string(current) +
                                     " names the dictionary node being replaced, at output offset " +
                                     std::to_string(written));
        }
        // The node taken over goes to the front first, so the path climbed lands ahead of it.
        moveToFront(taken);
        std::size_t depth = 0;
        std::uint16_t root = climb(current, depth);
        extension_[pending] = root;
        if (size - written <= depth) {
            std::size_t needed = root == kRecordMark ? 0 : 1;
            for (std::size_t i = 0; i < depth; ++i) {
                needed += extension_[path_[i]] == kRecordMark ? 0 : 1;
            }
            if (needed > size - written) {
                failPastOutput(size);
            }
        }
        if (root != kRecordMark) {
            out[written++] = static_cast<std::uint8_t>(root - 1);
        }
        for (std::size_t i = depth; i-- > 0;) {
            std::uint16_t character = extension_[path_[i]];
            if (character != kRecordMark) {
                out[written++] = static_cast<std::uint8_t>(character - 1);
            }
        }
        parent_[taken] = current;
        pending = taken;
    }
}

}  // namespace quelvane
