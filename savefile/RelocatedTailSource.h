#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "savefile/BlockSource.h"
#include "savefile/GridRepair.h"
#include "savefile/SaveFileLayout.h"

namespace quelvane {

// A save's bytes as the system meant its data stream: the system keeps the stream's last 16 bytes
// in block 0 (body offsets 64-79) and writes a closing value over them at the end of the last
// body. Here the last body ends in the kept bytes again and block 0's 64-79 read as zero, so the
// closing value is never read as data. The last block is the one the header's block count names
// (offset 8); a file cut before it has no end to put them back at, and only block 0 reads
// differently. Everything else, the trailers included, reads as stored.
class RelocatedTailSource final : public BlockSource {
  public:
    explicit RelocatedTailSource(BlockSource& stored);
    explicit RelocatedTailSource(std::unique_ptr<BlockSource> stored);

    bool isOpen() const override { return stored_->isOpen(); }
    std::int64_t size() const override { return stored_->size(); }
    std::int64_t readAt(std::int64_t offset, std::uint8_t* target, std::int64_t count) override;

    // `stored` seen so.
    static std::unique_ptr<BlockSource> over(std::unique_ptr<BlockSource> stored);
    // The stored bytes of a save as its readers take them: on the grid `repairs` put right, the
    // kept bytes back at the end.
    static std::unique_ptr<BlockSource> meant(std::unique_ptr<BlockSource> stored,
                                              const std::vector<GridRepair>& repairs);

    // Where the kept bytes go back: the file offset of the last body's closing value; -1 when
    // the file holds no such block.
    std::int64_t tailOffset() const { return tailOffset_; }

  private:
    static constexpr std::int64_t kWidth = SaveFileLayout::kRelocatedTailWidth;

    void locate();
    // Copies the part of the 16 bytes at `at` (a range of the file) that falls in
    // [offset, offset + count) into `target`.
    static void overlay(std::int64_t at, const std::array<std::uint8_t, kWidth>& bytes, std::int64_t offset,
                        std::uint8_t* target, std::int64_t count);

    std::unique_ptr<BlockSource> owned_;
    BlockSource* stored_;
    std::array<std::uint8_t, kWidth> kept_{};
    bool heldInBlock0_ = false;
    std::int64_t tailOffset_ = -1;
};

}  // namespace quelvane
