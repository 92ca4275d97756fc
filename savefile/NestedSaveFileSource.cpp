#include "savefile/NestedSaveFileSource.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>

namespace quelvane {

namespace {

// Inner file header: the block count and its copy.
constexpr std::int64_t kBlockCount = 8;
constexpr std::int64_t kBlockCountCopy = 60;

void putU32(std::uint8_t* target, std::uint32_t value) {
    target[0] = static_cast<std::uint8_t>(value >> 24);
    target[1] = static_cast<std::uint8_t>(value >> 16);
    target[2] = static_cast<std::uint8_t>(value >> 8);
    target[3] = static_cast<std::uint8_t>(value);
}

bool isZero(const std::uint8_t* bytes) {
    return bytes[0] == 0 && bytes[1] == 0 && bytes[2] == 0 && bytes[3] == 0;
}

}  // namespace

NestedSaveFileSource::NestedSaveFileSource(std::unique_ptr<BlockSource> outer, std::int64_t firstBlock,
                                           std::int64_t blockCount)
    : outer_(std::move(outer)),
      firstBlock_(std::max<std::int64_t>(firstBlock, 0)),
      blockCount_(std::max<std::int64_t>(blockCount, 0)) {}

bool NestedSaveFileSource::readBlock(std::int64_t block, std::uint8_t* target) {
    std::int64_t outer = (firstBlock_ + block) * kBlockSize;
    if (outer_->readAt(outer, target, kBodySize) != kBodySize) {
        return false;
    }
    std::memset(target + kBodySize, 0, kBlockSize - kBodySize);
    putU32(target + kBodySize, static_cast<std::uint32_t>(block + 1));
    if (block == 0) {
        for (std::int64_t at : {kBlockCount, kBlockCountCopy}) {
            if (isZero(target + at)) {
                putU32(target + at, static_cast<std::uint32_t>(blockCount_));
            }
        }
    }
    if (!timestamp_ && !readTimestamp(block == 0 ? target : nullptr)) {
        return false;
    }
    RecordCheck(*timestamp_).seal(std::span<std::uint8_t, kBlockSize>(target, kBlockSize));
    return true;
}

// The inner save's timestamp: its block 0's first 8 bytes, read once.
bool NestedSaveFileSource::readTimestamp(const std::uint8_t* block0) {
    RecordCheck::Timestamp timestamp{};
    if (block0 != nullptr) {
        std::memcpy(timestamp.data(), block0, timestamp.size());
    } else if (outer_->readAt(firstBlock_ * kBlockSize, timestamp.data(),
                              static_cast<std::int64_t>(timestamp.size())) !=
               static_cast<std::int64_t>(timestamp.size())) {
        return false;
    }
    timestamp_ = timestamp;
    return true;
}

std::int64_t NestedSaveFileSource::readAt(std::int64_t offset, std::uint8_t* target, std::int64_t count) {
    if (!isOpen() || offset < 0 || count <= 0 || offset >= size()) {
        return 0;
    }
    count = std::min(count, size() - offset);
    std::array<std::uint8_t, kBlockSize> block{};
    std::int64_t copied = 0;
    while (copied < count) {
        std::int64_t position = offset + copied;
        std::int64_t index = position / kBlockSize;
        std::int64_t within = position % kBlockSize;
        if (!readBlock(index, block.data())) {
            break;
        }
        std::int64_t take = std::min(count - copied, kBlockSize - within);
        std::memcpy(target + copied, block.data() + within, static_cast<std::size_t>(take));
        copied += take;
    }
    return copied;
}

}  // namespace quelvane
