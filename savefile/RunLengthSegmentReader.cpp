#include "savefile/RunLengthSegmentReader.h"

#include <algorithm>
#include <string>

#include "compression/CompressionFailure.h"

namespace quelvane {

RunLengthSegmentReader::RunLengthSegmentReader(BlockBodies& bodies, const SegmentPlacement& segment)
    : bodies_(bodies), dataOffset_(segment.dataOffset), dataLength_(segment.dataLength) {}

void RunLengthSegmentReader::restoreBefore(std::int64_t offset) {
    if (checkpoints_.empty()) {
        return;
    }
    auto index = static_cast<std::size_t>(std::min<std::int64_t>(
        offset / kCheckpointInterval, static_cast<std::int64_t>(checkpoints_.size()) - 1));
    if (offset < current_.out || checkpoints_[index].out > current_.out) {
        current_ = checkpoints_[index];
    }
}

std::span<const std::uint8_t> RunLengthSegmentReader::inputAt(std::int64_t position) {
    std::int64_t end = inputStart_ + static_cast<std::int64_t>(input_.size());
    if (position < inputStart_ || position >= end) {
        std::int64_t wanted = std::min(kInputPiece, dataLength_ - position);
        if (wanted <= 0) {
            return {};
        }
        input_.resize(static_cast<std::size_t>(wanted));
        std::int64_t got = bodies_.read(dataOffset_ + position, input_);
        input_.resize(static_cast<std::size_t>(got));
        inputStart_ = position;
        if (got == 0) {
            return {};
        }
    }
    return std::span<const std::uint8_t>(input_).subspan(static_cast<std::size_t>(position - inputStart_));
}

void RunLengthSegmentReader::produce(std::span<std::uint8_t> target) {
    while (!target.empty()) {
        if (current_.out % kCheckpointInterval == 0 &&
            current_.out / kCheckpointInterval == static_cast<std::int64_t>(checkpoints_.size())) {
            checkpoints_.push_back(current_);
        }
        std::int64_t boundary = (current_.out / kCheckpointInterval + 1) * kCheckpointInterval;
        std::size_t limit = static_cast<std::size_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(target.size()), boundary - current_.out));
        std::span<const std::uint8_t> input = inputAt(current_.in);
        if (input.empty() && current_.decoder.betweenRuns()) {
            throw CompressionFailure("run-length data ends after " + std::to_string(current_.out) +
                                     " expanded bytes");
        }
        const std::size_t before = input.size();
        std::size_t written = current_.decoder.decode(input, target.first(limit));
        current_.in += static_cast<std::int64_t>(before - input.size());
        current_.out += static_cast<std::int64_t>(written);
        target = target.subspan(written);
        if (written == 0 && before == input.size()) {
            throw CompressionFailure("run-length data ends inside a run after " +
                                     std::to_string(current_.out) + " expanded bytes");
        }
    }
}

void RunLengthSegmentReader::read(std::int64_t offset, std::span<std::uint8_t> target) {
    restoreBefore(offset);
    while (current_.out < offset) {
        scratch_.resize(static_cast<std::size_t>(kInputPiece));
        std::int64_t skip = std::min<std::int64_t>(offset - current_.out, kInputPiece);
        produce(std::span<std::uint8_t>(scratch_).first(static_cast<std::size_t>(skip)));
    }
    produce(target);
}

}  // namespace quelvane
