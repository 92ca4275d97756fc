#include "views/MemberRecordStream.h"

#include <algorithm>
#include <cstring>

#include "savefile/FileBlockSource.h"

namespace quelvane {

bool MemberRecordStream::open(const std::string& path, std::int32_t sequence, std::int32_t recordLength,
                              std::int64_t slotLimit, std::int32_t recordDistance) {
    return open(std::make_unique<FileBlockSource>(path), sequence, recordLength, slotLimit, recordDistance);
}

bool MemberRecordStream::open(std::unique_ptr<BlockSource> source, std::int32_t sequence,
                              std::int32_t recordLength, std::int64_t slotLimit,
                              std::int32_t recordDistance) {
    close();
    if (source == nullptr || !source->isOpen()) {
        return false;
    }
    source_ = std::move(source);
    firstBlock_ = std::int64_t{sequence} + recordDistance;
    nextStreamBlock_ = 0;
    slotSize_ = std::int64_t{std::max<std::int32_t>(recordLength, 0)} + 1;
    slotLimit_ = std::max<std::int64_t>(slotLimit, 0);
    slotsRead_ = 0;
    skippedFirst_ = false;
    ended_ = firstBlock_ < 0;
    run_.assign(static_cast<std::size_t>(kRunBlocks * BlockFile::kBlockSize), 0);
    // The area grows to one slot and one run as the slots come; a record length stored in a
    // damaged file never makes it larger than what the file can fill.
    area_.clear();
    begin_ = 0;
    end_ = 0;
    return true;
}

void MemberRecordStream::close() {
    source_.reset();
    ended_ = true;
    run_ = {};
    area_ = {};
    begin_ = 0;
    end_ = 0;
}

std::optional<MemberRecordStream::Slot> MemberRecordStream::nextSlot() {
    auto slotSize = static_cast<std::size_t>(slotSize_);
    if (!skippedFirst_) {
        skippedFirst_ = true;
        fill();
        begin_ += std::min(slotSize, end_ - begin_);
    }
    if (slotsRead_ >= slotLimit_ || !fill()) {
        return std::nullopt;
    }
    Slot slot;
    slot.status = area_[begin_];
    slot.record = std::span<const std::uint8_t>(area_).subspan(begin_ + 1, slotSize - 1);
    begin_ += slotSize;
    ++slotsRead_;
    return slot;
}

bool MemberRecordStream::fill() {
    auto slotSize = static_cast<std::size_t>(slotSize_);
    while (end_ - begin_ < slotSize && !ended_) {
        compact();
        std::int64_t wanted = kRunBlocks;
        std::int64_t read = BlockFile(*source_).readRun(firstBlock_ + nextStreamBlock_, wanted, run_);
        for (std::int64_t i = 0; i < read; ++i, ++nextStreamBlock_) {
            std::int64_t skip = isHeaderBlock(nextStreamBlock_) ? kStreamHeaderBytes : 0;
            auto length = static_cast<std::size_t>(BlockFile::kBodySize - skip);
            if (area_.size() < end_ + length) {
                area_.resize(end_ + length);
            }
            std::memcpy(area_.data() + end_, run_.data() + i * BlockFile::kBlockSize + skip, length);
            end_ += length;
        }
        if (read < wanted) {
            ended_ = true;
        }
    }
    return end_ - begin_ >= slotSize;
}

void MemberRecordStream::compact() {
    if (begin_ > 0 && end_ > begin_) {
        std::memmove(area_.data(), area_.data() + begin_, end_ - begin_);
    }
    end_ -= begin_;
    begin_ = 0;
}

}  // namespace quelvane
