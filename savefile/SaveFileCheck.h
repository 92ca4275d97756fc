#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "savefile/BlockSource.h"
#include "savefile/RecordCheck.h"
#include "savefile/SaveFileCheckReport.h"
#include "savefile/SaveFileLayout.h"

namespace quelvane {

// Examines a save file's block grid and every record on it without reading the catalog: the
// header's block counts against the file size, the sequence number every block trailer carries
// (block index + 1), and each record's 12-byte check of its own bytes (RecordCheck); the trailer
// of an all-zero block (the first 8 header bytes, the sequence number shifted left by 13) bounds
// where a shift lies. Where the sequence numbers go wrong it looks for the grid
// on which they run again, within a bounded reach; the blocks are read in runs, so work and
// memory stay bounded on any input.
class SaveFileCheck {
  public:
    static constexpr std::int64_t kBlockSize = SaveFileLayout::kBlockSize;
    static constexpr std::int64_t kBodySize = SaveFileLayout::kBodySize;
    static constexpr int kMaxShifts = 256;
    static constexpr std::int64_t kShiftReach = SaveFileLayout::kBlockSize;
    // Blocks after a break in which the numbers may resume, and how many in a row must be right.
    static constexpr std::int64_t kResumeLookahead = 4;
    static constexpr std::int64_t kResumeConfirm = 2;
    // The reach within which a single right block is enough.
    static constexpr std::int64_t kNearReach = 16;

    static SaveFileCheckReport examine(BlockSource& source);

    // A cheap look for opening: a whole number of blocks, the first and the last block carrying
    // their own sequence numbers. False sends the file to `examine`.
    static bool looksWhole(BlockSource& source);

  private:
    using Header = std::array<std::uint8_t, 8>;

    SaveFileCheck(BlockSource& source, SaveFileCheckReport& report, const RecordCheck& records)
        : source_(source), report_(report), records_(records) {}

    void scan();
    void checkRecord(std::span<const std::uint8_t> block, std::int64_t index, std::int64_t offset);
    void noteLastRecord();
    // Finds where the numbers run again after a break at `block` and moves `block` and the grid
    // there; with `lostOnly`, only a grid that lost bytes counts (a partial last block).
    bool follow(std::int64_t& block, std::int64_t lastGoodEnd, bool lostOnly);
    std::optional<GridShift> resume(std::int64_t brokenBlock, std::int64_t lastGoodEnd);
    std::optional<GridShift> resumeAt(std::int64_t block, std::int64_t brokenBlock, std::int64_t lastGoodEnd,
                                      std::int64_t reach, std::int64_t confirmBlocks);
    void markLineEnd(GridShift& shift);
    bool zeroBlockRight(std::span<const std::uint8_t> block, std::int64_t index) const;

    BlockSource& source_;
    SaveFileCheckReport& report_;
    RecordCheck records_;
    Header header_{};
    std::int64_t grid_ = 0;  // block b starts at b * 528 + grid_
};

}  // namespace quelvane
