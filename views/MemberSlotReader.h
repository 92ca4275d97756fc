#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "savefile/BlockSource.h"
#include "views/MemberRecordStream.h"

namespace quelvane {

// Reads any one slot of a member's record stream by its number, without reading the slots
// before it: the stream's layout (see MemberRecordStream) fixes where every byte lies, so a
// listing can keep no more than the slot numbers of its rows and read a row's record again
// when it is drawn. Slot 0 is the first slot after the skipped one. Blocks are read in runs and
// the last run is kept, so neighbouring rows cost one read.
class MemberSlotReader {
  public:
    static constexpr std::int64_t kRunBlocks = 64;

    // Where stream byte `offset` lies: {stream block, byte offset in that block's body}.
    static std::pair<std::int64_t, std::int64_t> locate(std::int64_t offset);

    // Over the save file `source`, for the member whose segment header has sequence number
    // `sequence` and whose records are `recordLength` bytes long.
    // `recordLength` bytes long; `recordDistance` as for MemberRecordStream::open.
    MemberSlotReader(std::unique_ptr<BlockSource> source, std::int32_t sequence, std::int32_t recordLength,
                     std::int32_t recordDistance = MemberRecordStream::kFirstDataBlockAfterSequence);

    // The status byte and the record of slot `slot`; empty when the slot is not wholly in the
    // file.
    std::span<const std::uint8_t> slot(std::int64_t slot);

  private:
    // The body of stream block `block`, or an empty span when it cannot be read.
    std::span<const std::uint8_t> body(std::int64_t block);

    std::unique_ptr<BlockSource> source_;
    std::int64_t firstBlock_ = 0;
    std::int64_t slotSize_ = 1;
    std::vector<std::uint8_t> run_;
    std::int64_t runStart_ = -1;
    std::int64_t runBlocks_ = 0;
    std::vector<std::uint8_t> slot_;
};

}  // namespace quelvane
