#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "savefile/BlockSource.h"
#include "savefile/RecordCheck.h"
#include "savefile/SaveFileLayout.h"

namespace quelvane {

// The save file held inside a save-file object of another save, presented as a save file of its
// own. The outer segment stores the inner save's blocks one per outer block body, without their
// 16-byte trailers; each trailer is rebuilt here with its sequence number (inner block i carries
// i + 1) and its record check, as the system writes a save file. Some inner file headers carry 0 for their
// two block counts (offsets 8 and 60); those read as the true count, so the inner save passes the same checks
// as any file. Sources nest: the outer source may itself be a nested save.
class NestedSaveFileSource final : public BlockSource {
  public:
    // `firstBlock` is the outer block number (from 0) of inner block 0; `blockCount` inner blocks
    // follow it. Blocks the outer source does not hold read as missing (the inner save is cut).
    NestedSaveFileSource(std::unique_ptr<BlockSource> outer, std::int64_t firstBlock,
                         std::int64_t blockCount);

    bool isOpen() const override { return outer_ && outer_->isOpen(); }
    std::int64_t size() const override { return isOpen() ? blockCount_ * kBlockSize : 0; }
    std::int64_t readAt(std::int64_t offset, std::uint8_t* target, std::int64_t count) override;

  private:
    static constexpr std::int64_t kBlockSize = SaveFileLayout::kBlockSize;
    static constexpr std::int64_t kBodySize = SaveFileLayout::kBodySize;

    // Fills one whole inner block; false when the outer source does not hold its body.
    bool readBlock(std::int64_t block, std::uint8_t* target);
    bool readTimestamp(const std::uint8_t* block0);

    std::unique_ptr<BlockSource> outer_;
    std::int64_t firstBlock_;
    std::int64_t blockCount_;
    std::optional<RecordCheck::Timestamp> timestamp_;
};

}  // namespace quelvane
