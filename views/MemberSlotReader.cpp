#include "views/MemberSlotReader.h"

#include <algorithm>
#include <cstring>

#include "savefile/BlockFile.h"
#include "views/MemberRecordStream.h"

namespace quelvane {

namespace {

constexpr std::int64_t kHeaderBody = BlockFile::kBodySize - MemberRecordStream::kStreamHeaderBytes;
// Stream blocks 0 to 32768: one header block, then 32768 whole bodies.
constexpr std::int64_t kFirstGroupBytes =
    kHeaderBody + (MemberRecordStream::kFirstRepeatedHeader - 1) * BlockFile::kBodySize;
// From block 32769 on, every 32768 blocks: one header block, then 32767 whole bodies.
constexpr std::int64_t kGroupBytes =
    kHeaderBody + (MemberRecordStream::kHeaderInterval - 1) * BlockFile::kBodySize;

// {block, body offset} of byte `offset` of a group that starts with a header block at `base`.
std::pair<std::int64_t, std::int64_t> inGroup(std::int64_t base, std::int64_t offset) {
    if (offset < kHeaderBody) {
        return {base, MemberRecordStream::kStreamHeaderBytes + offset};
    }
    offset -= kHeaderBody;
    return {base + 1 + offset / BlockFile::kBodySize, offset % BlockFile::kBodySize};
}

}  // namespace

std::pair<std::int64_t, std::int64_t> MemberSlotReader::locate(std::int64_t offset) {
    if (offset < kFirstGroupBytes) {
        return inGroup(0, offset);
    }
    offset -= kFirstGroupBytes;
    return inGroup(
        MemberRecordStream::kFirstRepeatedHeader + offset / kGroupBytes * MemberRecordStream::kHeaderInterval,
        offset % kGroupBytes);
}

MemberSlotReader::MemberSlotReader(std::unique_ptr<BlockSource> source, std::int32_t sequence,
                                   std::int32_t recordLength, std::int32_t recordDistance)
    : source_(std::move(source)),
      firstBlock_(std::int64_t{sequence} + recordDistance),
      slotSize_(std::int64_t{std::max<std::int32_t>(recordLength, 0)} + 1),
      run_(static_cast<std::size_t>(kRunBlocks * BlockFile::kBlockSize)),
      slot_(static_cast<std::size_t>(slotSize_)) {}

std::span<const std::uint8_t> MemberSlotReader::body(std::int64_t block) {
    if (block < runStart_ || block >= runStart_ + runBlocks_) {
        runStart_ = block;
        runBlocks_ = source_ == nullptr || firstBlock_ < 0
                         ? 0
                         : BlockFile(*source_).readRun(firstBlock_ + block, kRunBlocks, run_);
    }
    if (block >= runStart_ + runBlocks_) {
        return {};
    }
    return std::span<const std::uint8_t>(run_).subspan(
        static_cast<std::size_t>((block - runStart_) * BlockFile::kBlockSize),
        static_cast<std::size_t>(BlockFile::kBodySize));
}

std::span<const std::uint8_t> MemberSlotReader::slot(std::int64_t slot) {
    if (slot < 0) {
        return {};
    }
    // The skipped first slot comes before slot 0.
    auto [block, at] = locate((slot + 1) * slotSize_);
    std::size_t filled = 0;
    while (filled < slot_.size()) {
        std::span<const std::uint8_t> bytes = body(block);
        if (bytes.empty()) {
            return {};
        }
        const std::size_t length =
            std::min(slot_.size() - filled, bytes.size() - static_cast<std::size_t>(at));
        std::memcpy(slot_.data() + filled, bytes.data() + at, length);
        filled += length;
        ++block;
        at = MemberRecordStream::isHeaderBlock(block) ? MemberRecordStream::kStreamHeaderBytes : 0;
    }
    return slot_;
}

}  // namespace quelvane
