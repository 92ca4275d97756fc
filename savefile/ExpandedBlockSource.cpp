#include "savefile/ExpandedBlockSource.h"

#include <algorithm>
#include <cstring>

#include "compression/CompressionFailure.h"
#include "savefile/BlockFile.h"
#include "savefile/SegmentExpansionFailure.h"

namespace quelvane {

namespace {

constexpr std::int64_t kBlock = BlockFile::kBlockSize;
constexpr std::int64_t kBody = BlockFile::kBodySize;
constexpr std::int64_t kTrailer = kBlock - kBody;
// Blocks gathered per pass: a record stream reads 64-block runs.
constexpr std::int64_t kRunBlocks = 64;

void putSequence(std::uint8_t* trailer, std::int64_t block) {
    const auto sequence = static_cast<std::uint32_t>(block + 1);
    std::memset(trailer, 0, kTrailer);
    trailer[0] = static_cast<std::uint8_t>(sequence >> 24);
    trailer[1] = static_cast<std::uint8_t>(sequence >> 16);
    trailer[2] = static_cast<std::uint8_t>(sequence >> 8);
    trailer[3] = static_cast<std::uint8_t>(sequence);
}

}  // namespace

ExpandedBlockSource::ExpandedBlockSource(BlockSource& stored, std::shared_ptr<const SegmentLayout> layout)
    : stored_(&stored), layout_(std::move(layout)), bodies_(stored) {}

ExpandedBlockSource::ExpandedBlockSource(std::unique_ptr<BlockSource> stored,
                                         std::shared_ptr<const SegmentLayout> layout)
    : owned_(std::move(stored)), stored_(owned_.get()), layout_(std::move(layout)), bodies_(*stored_) {}

std::int64_t ExpandedBlockSource::size() const {
    return stored_->isOpen() ? layout_->expandedBlocks() * kBlock : 0;
}

void ExpandedBlockSource::fail(std::size_t segment, const std::string& reason) {
    std::string text = "segment " + layout_->segments()[segment].name + ": " + reason;
    if (std::find(failures_.begin(), failures_.end(), text) == failures_.end()) {
        failures_.push_back(text);
    }
    throw SegmentExpansionFailure(text);
}

CodedSegmentReader& ExpandedBlockSource::decoderFor(std::size_t segment) {
    for (auto it = decoders_.begin(); it != decoders_.end(); ++it) {
        if (it->segment == segment) {
            decoders_.splice(decoders_.begin(), decoders_, it);
            return *decoders_.front().reader;
        }
    }
    if (decoders_.size() >= kKeptDecoders) {
        decoders_.pop_back();
    }
    decoders_.push_front({segment, CodedSegmentReader::create(bodies_, layout_->segments()[segment])});
    return *decoders_.front().reader;
}

// `bodies` receives the 512-byte bodies of segment blocks [fromBody, fromBody + n), counted from
// the segment's header block (body 0).
void ExpandedBlockSource::readSegmentBodies(std::size_t segment, std::int64_t fromBody,
                                            std::span<std::uint8_t> bodies) {
    const SegmentPlacement& placement = layout_->segments()[segment];
    if (fromBody == 0) {
        if (bodies_.read(placement.headerOffset, bodies.first(kBody)) != kBody) {
            fail(segment, "the header is past the end of the file");
        }
        bodies = bodies.subspan(kBody);
        fromBody = 1;
    }
    if (bodies.empty()) {
        return;
    }
    const std::int64_t dataOffset = (fromBody - 1) * kBody;
    if (placement.kind == CompressionKind::Stored) {
        if (bodies_.read(placement.dataOffset + dataOffset, bodies) !=
            static_cast<std::int64_t>(bodies.size())) {
            fail(segment, "the data is past the end of the file");
        }
        return;
    }
    try {
        decoderFor(segment).read(dataOffset, bodies);
    } catch (const CompressionFailure& failure) {
        decoders_.remove_if([segment](const KeptDecoder& kept) { return kept.segment == segment; });
        fail(segment, std::string(compressionKindText(placement.kind)) +
                          " data cannot be expanded: " + failure.what());
    }
}

std::int64_t ExpandedBlockSource::readBodies(std::int64_t firstBlock, std::int64_t blocks,
                                             std::uint8_t* bodies, std::int64_t startSegment) {
    std::int64_t block = firstBlock;
    const std::int64_t end = firstBlock + blocks;
    while (block < end) {
        std::uint8_t* target = bodies + (block - firstBlock) * kBody;
        const std::int64_t index = layout_->segmentAtBlock(block);
        if (index < 0) {
            // Leading blocks are stored as they are.
            std::int64_t n = std::min(end, layout_->leadingBlocks()) - block;
            if (n <= 0 ||
                bodies_.read(block * kBody, std::span<std::uint8_t>(target, n * kBody)) != n * kBody) {
                throw DecodingFailure("block beyond the end of the file");
            }
            block += n;
            continue;
        }
        const auto segment = static_cast<std::size_t>(index);
        const SegmentPlacement& placement = layout_->segments()[segment];
        const std::int64_t n = std::min(end, placement.firstBlock + placement.blocks) - block;
        try {
            readSegmentBodies(segment, block - placement.firstBlock,
                              std::span<std::uint8_t>(target, n * kBody));
        } catch (const SegmentExpansionFailure&) {
            if (index == startSegment) {
                throw;
            }
            return block - firstBlock;
        }
        block += n;
    }
    return blocks;
}

std::int64_t ExpandedBlockSource::readAt(std::int64_t offset, std::uint8_t* target, std::int64_t count) {
    if (offset < 0 || count <= 0 || offset >= size()) {
        return 0;
    }
    count = std::min(count, size() - offset);
    const std::int64_t startSegment = layout_->segmentAtBlock(offset / kBlock);
    std::int64_t done = 0;
    while (done < count) {
        const std::int64_t position = offset + done;
        const std::int64_t firstBlock = position / kBlock;
        const std::int64_t lastBlock =
            std::min((position + (count - done) - 1) / kBlock, firstBlock + kRunBlocks - 1);
        const std::int64_t blocks = lastBlock - firstBlock + 1;
        run_.resize(static_cast<std::size_t>(blocks * kBlock));
        runBodies_.resize(static_cast<std::size_t>(blocks * kBody));
        const std::int64_t read = readBodies(firstBlock, blocks, runBodies_.data(), startSegment);
        for (std::int64_t i = 0; i < read; ++i) {
            std::memcpy(run_.data() + i * kBlock, runBodies_.data() + i * kBody, kBody);
            putSequence(run_.data() + i * kBlock + kBody, firstBlock + i);
        }
        const std::int64_t skip = position - firstBlock * kBlock;
        const std::int64_t n = std::max<std::int64_t>(0, std::min(read * kBlock - skip, count - done));
        std::memcpy(target + done, run_.data() + skip, static_cast<std::size_t>(n));
        done += n;
        if (read < blocks) {
            break;
        }
    }
    return done;
}

}  // namespace quelvane
