#pragma once

#include <vector>

#include "compression/RunLengthDecoder.h"
#include "savefile/CodedSegmentReader.h"

namespace quelvane {

// A segment's run-length stream, expanded forward from the nearest point already passed. Every
// 256 KiB of output the decoder's whole state is kept, so going back costs at most that much
// decoding and the checkpoints of a 1 GiB segment take about 100 KiB.
class RunLengthSegmentReader final : public CodedSegmentReader {
  public:
    static constexpr std::int64_t kCheckpointInterval = 256 * 1024;
    static constexpr std::int64_t kInputPiece = 64 * 1024;

    RunLengthSegmentReader(BlockBodies& bodies, const SegmentPlacement& segment);

    void read(std::int64_t offset, std::span<std::uint8_t> target) override;

  private:
    struct State {
        RunLengthDecoder decoder;
        std::int64_t in = 0;
        std::int64_t out = 0;
    };

    void restoreBefore(std::int64_t offset);
    void produce(std::span<std::uint8_t> target);
    std::span<const std::uint8_t> inputAt(std::int64_t position);

    BlockBodies& bodies_;
    std::int64_t dataOffset_;
    std::int64_t dataLength_;
    State current_;
    std::vector<State> checkpoints_;
    std::vector<std::uint8_t> input_;
    std::int64_t inputStart_ = 0;
    std::vector<std::uint8_t> scratch_;
};

}  // namespace quelvane
