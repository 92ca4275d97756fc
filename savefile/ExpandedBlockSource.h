#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "savefile/BlockBodies.h"
#include "savefile/BlockSource.h"
#include "savefile/CodedSegmentReader.h"
#include "savefile/SegmentLayout.h"

namespace quelvane {

// A save file written with data compression, seen as the save file it would be without: the
// leading blocks as stored, then every segment as its header block and N - 1 expanded data
// blocks, each block carrying its sequence number in the trailer (the other 12 trailer bytes
// are zero). Every reader of stored save files works on it unchanged. Nothing is expanded ahead
// of a read; a few segments' decoders are kept, so reading forward costs only the new bytes.
//
// A read that reaches data which cannot be expanded raises SegmentExpansionFailure naming the
// segment and the reason; the segment is remembered in `failures`. A read that began in another
// segment ends short before it instead, as at the end of the source: a member's records, read in
// runs of blocks, are not lost to a damaged segment after them.
class ExpandedBlockSource final : public BlockSource {
  public:
    static constexpr std::size_t kKeptDecoders = 4;

    ExpandedBlockSource(BlockSource& stored, std::shared_ptr<const SegmentLayout> layout);
    ExpandedBlockSource(std::unique_ptr<BlockSource> stored, std::shared_ptr<const SegmentLayout> layout);

    bool isOpen() const override { return stored_->isOpen(); }
    std::int64_t size() const override;
    std::int64_t readAt(std::int64_t offset, std::uint8_t* target, std::int64_t count) override;

    // "segment NAME: reason" for each segment a read could not expand, in the order met.
    const std::vector<std::string>& failures() const { return failures_; }

  private:
    struct KeptDecoder {
        std::size_t segment = 0;
        std::unique_ptr<CodedSegmentReader> reader;
    };

    // Returns the blocks read: all of them, or those before a segment other than `startSegment`
    // whose data cannot be expanded.
    std::int64_t readBodies(std::int64_t firstBlock, std::int64_t blocks, std::uint8_t* bodies,
                            std::int64_t startSegment);
    void readSegmentBodies(std::size_t segment, std::int64_t fromBody, std::span<std::uint8_t> bodies);
    CodedSegmentReader& decoderFor(std::size_t segment);
    [[noreturn]] void fail(std::size_t segment, const std::string& reason);

    std::unique_ptr<BlockSource> owned_;
    BlockSource* stored_;
    std::shared_ptr<const SegmentLayout> layout_;
    BlockBodies bodies_;
    std::list<KeptDecoder> decoders_;
    std::vector<std::string> failures_;
    // Reused for every read: the joined bodies of a run, then the run as 528-byte blocks.
    std::vector<std::uint8_t> runBodies_;
    std::vector<std::uint8_t> run_;
};

}  // namespace quelvane
