#include "savefile/RelocatedTailSource.h"

#include <algorithm>
#include <cstring>

#include "savefile/BigEndianReader.h"
#include "savefile/RepairedBlockSource.h"

namespace quelvane {

namespace {

constexpr std::int64_t kBlockSize = SaveFileLayout::kBlockSize;
constexpr std::int64_t kKeptEnd = SaveFileLayout::kRelocatedTail + SaveFileLayout::kRelocatedTailWidth;

}  // namespace

RelocatedTailSource::RelocatedTailSource(BlockSource& stored) : stored_(&stored) {
    locate();
}

RelocatedTailSource::RelocatedTailSource(std::unique_ptr<BlockSource> stored)
    : owned_(std::move(stored)), stored_(owned_.get()) {
    locate();
}

std::unique_ptr<BlockSource> RelocatedTailSource::over(std::unique_ptr<BlockSource> stored) {
    if (stored == nullptr) {
        return nullptr;
    }
    return std::make_unique<RelocatedTailSource>(std::move(stored));
}

std::unique_ptr<BlockSource> RelocatedTailSource::meant(std::unique_ptr<BlockSource> stored,
                                                        const std::vector<GridRepair>& repairs) {
    return over(RepairedBlockSource::over(std::move(stored), repairs));
}

// Only block 0 and the size are read; a source that cannot give them reads as stored.
void RelocatedTailSource::locate() {
    if (!stored_->isOpen()) {
        return;
    }
    std::array<std::uint8_t, kKeptEnd> head{};
    if (stored_->readAt(0, head.data(), kKeptEnd) != kKeptEnd) {
        return;
    }
    std::copy_n(head.begin() + SaveFileLayout::kRelocatedTail, kWidth, kept_.begin());
    heldInBlock0_ = true;
    const std::int64_t whole = stored_->size() / kBlockSize;
    const std::uint32_t count = BigEndianReader(head).u32(SaveFileLayout::kBlockCount);
    // A count of 0 (some held saves) or one past the bytes leaves the last whole block; a file
    // cut short of its count has lost its end.
    std::int64_t last = whole;
    if (count > 0 && count <= static_cast<std::uint64_t>(whole)) {
        last = count;
    } else if (count > static_cast<std::uint64_t>(whole)) {
        last = 0;
    }
    if (last > 0) {
        tailOffset_ = (last - 1) * kBlockSize + SaveFileLayout::kClosingValue;
    }
}

void RelocatedTailSource::overlay(std::int64_t at, const std::array<std::uint8_t, kWidth>& bytes,
                                  std::int64_t offset, std::uint8_t* target, std::int64_t count) {
    const std::int64_t from = std::max(at, offset);
    const std::int64_t to = std::min(at + kWidth, offset + count);
    if (from < to) {
        std::memcpy(target + (from - offset), bytes.data() + (from - at),
                    static_cast<std::size_t>(to - from));
    }
}

std::int64_t RelocatedTailSource::readAt(std::int64_t offset, std::uint8_t* target, std::int64_t count) {
    const std::int64_t got = stored_->readAt(offset, target, count);
    if (got <= 0 || !heldInBlock0_) {
        return got;
    }
    // Block 0 first: in a file of one block the kept bytes go back into the block they came from.
    overlay(SaveFileLayout::kRelocatedTail, std::array<std::uint8_t, kWidth>{}, offset, target, got);
    if (tailOffset_ >= 0) {
        overlay(tailOffset_, kept_, offset, target, got);
    }
    return got;
}

}  // namespace quelvane
