#include "savefile/SegmentLayout.h"

#include <algorithm>
#include <array>

#include "compression/ChunkTags.h"
#include "savefile/BigEndianReader.h"
#include "savefile/BlockBodies.h"
#include "savefile/BlockFile.h"
#include "savefile/EbcdicField.h"
#include "savefile/SaveFileLayout.h"

namespace quelvane {

namespace {

constexpr std::int64_t kHeaderBytes = BlockFile::kBodySize;

bool markerAt(BlockBodies& bodies, std::int64_t offset) {
    std::array<std::uint8_t, SaveFileLayout::kSegmentMarker.size()> bytes{};
    return bodies.read(offset, bytes) == static_cast<std::int64_t>(bytes.size()) &&
           bytes == SaveFileLayout::kSegmentMarker;
}

CompressionKind codedKind(BlockBodies& bodies, std::int64_t dataOffset) {
    std::array<std::uint8_t, kChunkTagWidth> tag{};
    const std::int64_t got = bodies.read(dataOffset, tag);
    return chunkTagKind(std::span<const std::uint8_t>(tag).first(static_cast<std::size_t>(got)))
        .value_or(CompressionKind::RunLength);
}

}  // namespace

std::shared_ptr<const SegmentLayout> SegmentLayout::scan(BlockSource& source, std::int32_t headerSize,
                                                         EbcdicTextConverter& converter) {
    auto layout = std::make_shared<SegmentLayout>();
    BlockBodies bodies(source);
    layout->leadingBlocks_ = std::max<std::int32_t>(0, headerSize / SaveFileLayout::kHeaderUnit);
    std::int64_t offset = layout->leadingBlocks_ * BlockFile::kBodySize;
    std::int64_t expanded = layout->leadingBlocks_;
    std::array<std::uint8_t, kHeaderBytes> header{};
    while (bodies.read(offset, header) == kHeaderBytes &&
           std::equal(SaveFileLayout::kSegmentMarker.begin(), SaveFileLayout::kSegmentMarker.end(),
                      header.begin())) {
        BigEndianReader reader(header);
        SegmentPlacement segment;
        segment.name = convertField(converter, reader.at(kNameOffset, kNameWidth), true);
        segment.headerOffset = offset;
        segment.dataOffset = offset + kHeaderBytes;
        segment.blocks = reader.u32(kLengthOffset);
        segment.firstBlock = expanded;
        if (segment.blocks < 1) {
            break;
        }
        const std::int64_t expandedData = (segment.blocks - 1) * BlockFile::kBodySize;
        const std::int64_t codedLength = reader.u32(kCodedLengthOffset);
        const std::int64_t storedBlocks = reader.u32(kStoredBlocksOffset);
        std::int64_t next = 0;
        if (codedLength > 0) {
            segment.kind = codedKind(bodies, segment.dataOffset);
            segment.dataLength = codedLength;
            next = segment.dataOffset + codedLength;
            if (!markerAt(bodies, next)) {
                next = (next + BlockFile::kBodySize - 1) / BlockFile::kBodySize * BlockFile::kBodySize;
            }
        } else if (storedBlocks > 0 && storedBlocks < segment.blocks - 1) {
            segment.kind = CompressionKind::RunLength;
            segment.dataLength = storedBlocks * BlockFile::kBodySize;
            next = segment.dataOffset + segment.dataLength;
        } else {
            segment.dataLength = expandedData;
            next = segment.dataOffset + expandedData;
        }
        if (segment.kind != CompressionKind::Stored &&
            std::find(layout->kinds_.begin(), layout->kinds_.end(), segment.kind) == layout->kinds_.end()) {
            layout->kinds_.push_back(segment.kind);
        }
        expanded += segment.blocks;
        layout->segments_.push_back(std::move(segment));
        offset = next;
    }
    layout->expandedBlocks_ = expanded;
    return layout;
}

std::int64_t SegmentLayout::segmentAtBlock(std::int64_t block) const {
    auto after = std::upper_bound(segments_.begin(), segments_.end(), block,
                                  [](std::int64_t b, const SegmentPlacement& s) { return b < s.firstBlock; });
    if (after == segments_.begin()) {
        return -1;
    }
    const SegmentPlacement& segment = *(after - 1);
    if (block >= segment.firstBlock + segment.blocks) {
        return -1;
    }
    return static_cast<std::int64_t>(after - segments_.begin()) - 1;
}

}  // namespace quelvane
