#include "savefile/CodedDataCheck.h"

#include <algorithm>
#include <exception>

#include "savefile/DecodingFailure.h"
#include "savefile/ExpandedBlockSource.h"
#include "savefile/RelocatedTailSource.h"
#include "savefile/SaveFileLayout.h"
#include "savefile/SegmentLayout.h"

namespace quelvane {

namespace {

constexpr std::int64_t kBlock = SaveFileLayout::kBlockSize;

// Reads the segment's data blocks (the header block is stored as it is) until they end or do not
// expand.
void expandSegment(ExpandedBlockSource& expanded, const SegmentPlacement& segment,
                   std::vector<std::uint8_t>& run) {
    const std::int64_t end = segment.firstBlock + segment.blocks;
    try {
        for (std::int64_t block = segment.firstBlock + 1; block < end; block += CodedDataCheck::kRunBlocks) {
            const std::int64_t blocks = std::min(CodedDataCheck::kRunBlocks, end - block);
            if (expanded.readAt(block * kBlock, run.data(), blocks * kBlock) != blocks * kBlock) {
                return;
            }
        }
    } catch (const DecodingFailure&) {
        // An expansion failure is remembered by the expanded source with its reason; data past
        // the end of the file is the block grid's finding.
    }
}

}  // namespace

std::vector<std::string> CodedDataCheck::examine(BlockSource& stored, std::int32_t headerSize,
                                                 EbcdicTextConverter& converter) {
    // The last chunk's code may run into the 16 bytes block 0 keeps for it.
    RelocatedTailSource source(stored);
    std::shared_ptr<const SegmentLayout> layout;
    try {
        layout = SegmentLayout::scan(source, headerSize, converter);
    } catch (const std::exception& failure) {
        return {std::string("the segment chain cannot be followed: ") + failure.what()};
    }
    if (!layout->compressed()) {
        return {};
    }
    ExpandedBlockSource expanded(source, layout);
    std::vector<std::uint8_t> run(static_cast<std::size_t>(kRunBlocks * kBlock));
    try {
        for (const SegmentPlacement& segment : layout->segments()) {
            if (segment.kind != CompressionKind::Stored) {
                expandSegment(expanded, segment, run);
            }
        }
    } catch (const std::exception& failure) {
        // An allocation a hostile length provoked: what was found so far stands.
        std::vector<std::string> found = expanded.failures();
        found.push_back(std::string("the coded data cannot be examined further: ") + failure.what());
        return found;
    }
    return expanded.failures();
}

}  // namespace quelvane
