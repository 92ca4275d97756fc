#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "savefile/BlockSource.h"
#include "savefile/GridRepair.h"
#include "savefile/SaveFileCheckReport.h"

namespace quelvane {

// A save file seen with its block grid put right: the bytes each repair names as inserted are
// left out, filler stands where bytes were lost, so the blocks after the damage sit where the
// readers look for them. Repairs that overlap, run backwards or lie outside the file are ignored.
class RepairedBlockSource final : public BlockSource {
  public:
    RepairedBlockSource(BlockSource& raw, const std::vector<GridRepair>& repairs);
    RepairedBlockSource(std::unique_ptr<BlockSource> raw, const std::vector<GridRepair>& repairs);

    bool isOpen() const override { return raw_.isOpen(); }
    std::int64_t size() const override { return size_; }
    std::int64_t readAt(std::int64_t offset, std::uint8_t* target, std::int64_t count) override;

    // `raw` itself when there is nothing to repair, else `raw` behind a repaired grid.
    static std::unique_ptr<BlockSource> over(std::unique_ptr<BlockSource> raw,
                                             const std::vector<GridRepair>& repairs);

  private:
    // A stretch of the repaired file: bytes of the raw file from `rawStart`, or filler.
    struct Piece {
        std::int64_t start = 0;
        std::int64_t length = 0;
        std::int64_t rawStart = 0;
        bool filler = false;
        std::uint8_t fillerByte = 0;
    };

    void build(const std::vector<GridRepair>& repairs);

    std::unique_ptr<BlockSource> owned_;
    BlockSource& raw_;
    std::vector<Piece> pieces_;
    std::int64_t size_ = 0;
};

// The file read on a grid put right where the check found shifts that explain the damage; null
// when the report offers nothing to repair.
std::unique_ptr<BlockSource> repairedSourceFor(BlockSource& raw, const SaveFileCheckReport& report);

}  // namespace quelvane
