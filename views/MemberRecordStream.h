#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <memory>

#include "savefile/BlockFile.h"
#include "savefile/BlockSource.h"

namespace quelvane {

// A member's stored records, cut into slots. The data starts at body byte 32 of the block 16
// blocks after the member's segment header block (block T + 15 for header sequence number T; in
// the oldest layout, with one-block segment headers, the block 4 after it, T + 3).
// Counting stream blocks from that one, blocks 0, 32769, 65537 and every 32768th after begin
// with a 32-byte header of their own and give only body bytes 32-511; every other block gives
// its whole 512-byte body. The stream is a run of slots of record length + 1 bytes: the first
// slot is no record and is skipped, every later one is a status byte (0x80 for a record) followed
// by the record. A block that cannot be read whole ends the stream.
//
// Blocks are read in runs, but at most one run and one slot are held at a time, so a member of
// any size is read in constant memory.
class MemberRecordStream {
  public:
    static constexpr std::uint8_t kRecordStatus = 0x80;
    static constexpr std::int64_t kFirstDataBlockAfterSequence = 15;
    static constexpr std::int64_t kStreamHeaderBytes = 32;
    static constexpr std::int64_t kFirstRepeatedHeader = 32769;
    static constexpr std::int64_t kHeaderInterval = 32768;
    static constexpr std::int64_t kRunBlocks = 64;

    struct Slot {
        std::uint8_t status = 0;
        std::span<const std::uint8_t> record;  // valid until the next call
        bool holdsRecord() const { return status == kRecordStatus; }
    };

    // True when stream block `block` starts with a header.
    static bool isHeaderBlock(std::int64_t block) {
        return block == 0 ||
               (block >= kFirstRepeatedHeader && (block - kFirstRepeatedHeader) % kHeaderInterval == 0);
    }

    // Opens the save file at `path` for the member whose segment header has sequence number
    // `sequence`; at most `slotLimit` slots (the member's record count) follow the skipped one.
    // False when the file cannot be opened.
    // `recordDistance` is the segment's (SegmentEntry::recordDistance): where its stream begins.
    bool open(const std::string& path, std::int32_t sequence, std::int32_t recordLength,
              std::int64_t slotLimit, std::int32_t recordDistance = kFirstDataBlockAfterSequence);
    // The same over save-file bytes from any source.
    bool open(std::unique_ptr<BlockSource> source, std::int32_t sequence, std::int32_t recordLength,
              std::int64_t slotLimit, std::int32_t recordDistance = kFirstDataBlockAfterSequence);
    void close();

    // The next slot, or nothing at the end of the stream.
    std::optional<Slot> nextSlot();

    std::int64_t slotsRead() const { return slotsRead_; }

  private:
    // Reads runs of blocks until a whole slot is held or the stream has ended.
    bool fill();
    void compact();

    std::unique_ptr<BlockSource> source_;
    std::int64_t firstBlock_ = 0;
    std::int64_t nextStreamBlock_ = 0;
    std::int64_t slotSize_ = 1;
    std::int64_t slotLimit_ = 0;
    std::int64_t slotsRead_ = 0;
    bool skippedFirst_ = false;
    bool ended_ = true;
    std::vector<std::uint8_t> run_;
    std::vector<std::uint8_t> area_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
};

}  // namespace quelvane
