#include "tests/compression/TerseEncoder.h"

#include "tests/compression/BitWriter.h"

namespace quelvane::test {

namespace {

constexpr unsigned kCodeBits = 12;
constexpr std::uint16_t kFirstNode = 258;
constexpr std::uint16_t kLastNode = 4095;
constexpr std::uint16_t kRing = 0;
constexpr std::uint16_t kBlankCode = 0x40 + 1;

std::uint16_t byteCode(std::uint8_t byte) {
    return static_cast<std::uint16_t>(byte + 1);
}

}  // namespace

TerseEncoder::TerseEncoder()
    : parent_(kNodeCount),
      extension_(kNodeCount),
      newer_(kNodeCount),
      older_(kNodeCount),
      children_(kNodeCount * kCharacters) {}

void TerseEncoder::moveToFront(std::uint16_t node) {
    older_[newer_[node]] = older_[node];
    newer_[older_[node]] = newer_[node];
    std::uint16_t front = older_[kRing];
    older_[node] = front;
    newer_[front] = node;
    newer_[node] = kRing;
    older_[kRing] = node;
}

std::vector<std::uint8_t> TerseEncoder::encode(std::span<const std::uint8_t> data) {
    std::fill(children_.begin(), children_.end(), 0);
    for (std::uint16_t node = kFirstNode; node <= kLastNode; ++node) {
        parent_[node] = node == kFirstNode ? kBlankCode : static_cast<std::uint16_t>(node - 1);
        extension_[node] = kBlankCode;
        child(parent_[node], kBlankCode) = node;
        newer_[node] = node == kFirstNode ? kRing : static_cast<std::uint16_t>(node - 1);
        older_[node] = node == kLastNode ? kRing : static_cast<std::uint16_t>(node + 1);
    }
    older_[kRing] = kFirstNode;
    newer_[kRing] = kLastNode;

    BitWriter writer;
    std::size_t at = 0;
    while (at < data.size()) {
        std::uint16_t taken = newer_[kRing];
        std::uint16_t current = byteCode(data[at++]);
        while (at < data.size()) {
            std::uint16_t next = child(current, byteCode(data[at]));
            if (next == 0 || next == taken) {
                break;
            }
            current = next;
            ++at;
        }
        writer.bits(current, kCodeBits);
        moveToFront(taken);
        for (std::uint16_t node = current; node >= kFirstNode; node = parent_[node]) {
            moveToFront(node);
        }
        if (child(parent_[taken], extension_[taken]) == taken) {
            child(parent_[taken], extension_[taken]) = 0;
        }
        parent_[taken] = current;
        if (at < data.size()) {
            extension_[taken] = byteCode(data[at]);
            child(current, extension_[taken]) = taken;
        }
    }
    return writer.bits(0, kCodeBits).bytes();
}

}  // namespace quelvane::test
