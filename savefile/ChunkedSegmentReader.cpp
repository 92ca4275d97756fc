#include "savefile/ChunkedSegmentReader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "compression/ChunkDecoders.h"
#include "compression/ChunkTags.h"
#include "compression/CompressionFailure.h"
#include "savefile/BigEndianReader.h"

namespace quelvane {

namespace {

constexpr std::int64_t kExpandedLengthOffset = 6;
constexpr std::int64_t kCodedLengthOffset = 10;
constexpr std::uint8_t kTerseAlgorithm = 0x02;
constexpr std::uint8_t kLz1Algorithm = 0x03;

std::string chunkText(std::size_t chunk) {
    return "chunk " + std::to_string(chunk + 1);
}

}  // namespace

ChunkedSegmentReader::ChunkedSegmentReader(BlockBodies& bodies, const SegmentPlacement& segment)
    : bodies_(bodies), dataOffset_(segment.dataOffset), dataLength_(segment.dataLength) {}

bool ChunkedSegmentReader::indexNext() {
    if (indexedIn_ + kChunkHeaderSize > dataLength_) {
        return false;
    }
    std::array<std::uint8_t, kChunkHeaderSize> header{};
    if (bodies_.read(dataOffset_ + indexedIn_, header) != kChunkHeaderSize) {
        throw CompressionFailure("coded data past the end of the file");
    }
    const std::optional<CompressionKind> kind = chunkTagKind(header);
    if (!kind) {
        throw CompressionFailure(chunkText(index_.size()) + " has no chunk tag");
    }
    const bool terse = *kind == CompressionKind::Terse;
    BigEndianReader reader(header);
    Chunk chunk{indexedIn_, indexedOut_, reader.u32(kCodedLengthOffset), reader.u32(kExpandedLengthOffset),
                terse};
    if (chunk.expandedLength == 0 || chunk.expandedLength > kLargestChunk) {
        throw CompressionFailure(chunkText(index_.size()) + " declares " +
                                 std::to_string(chunk.expandedLength) + " expanded bytes");
    }
    if (chunk.codedLength < kCodeHeaderSize ||
        indexedIn_ + kChunkHeaderSize + static_cast<std::int64_t>(chunk.codedLength) > dataLength_) {
        throw CompressionFailure(chunkText(index_.size()) + " runs past the segment's coded data");
    }
    if (index_.size() >= kMostChunks) {
        throw CompressionFailure("more than " + std::to_string(kMostChunks) + " chunks");
    }
    index_.push_back(chunk);
    indexedIn_ += kChunkHeaderSize + chunk.codedLength;
    indexedOut_ += chunk.expandedLength;
    return true;
}

std::size_t ChunkedSegmentReader::chunkFor(std::int64_t offset) {
    while (offset >= indexedOut_) {
        if (!indexNext()) {
            throw CompressionFailure("chunks expand to " + std::to_string(indexedOut_) +
                                     " bytes, fewer than the segment holds");
        }
    }
    auto after = std::upper_bound(index_.begin(), index_.end(), offset,
                                  [](std::int64_t o, const Chunk& c) { return o < c.out; });
    return static_cast<std::size_t>(after - index_.begin()) - 1;
}

void ChunkedSegmentReader::expand(std::size_t chunk) {
    if (expanded_ == chunk) {
        return;
    }
    expanded_ = SIZE_MAX;
    const Chunk& c = index_[chunk];
    coded_.resize(c.codedLength);
    if (bodies_.read(dataOffset_ + c.in + kChunkHeaderSize, coded_) !=
        static_cast<std::int64_t>(c.codedLength)) {
        throw CompressionFailure(chunkText(chunk) + " past the end of the file");
    }
    const std::uint8_t algorithm = coded_[0];
    if (algorithm != (c.terse ? kTerseAlgorithm : kLz1Algorithm)) {
        throw CompressionFailure(chunkText(chunk) + " names algorithm " + std::to_string(algorithm));
    }
    output_.resize(c.expandedLength);
    const std::span<const std::uint8_t> code = std::span<const std::uint8_t>(coded_).subspan(kCodeHeaderSize);
    const std::size_t written = c.terse ? decodeTerseChunk(code, output_) : decodeLz1Chunk(code, output_);
    if (written != c.expandedLength) {
        throw CompressionFailure(chunkText(chunk) + " expands to " + std::to_string(written) + " of its " +
                                 std::to_string(c.expandedLength) + " bytes");
    }
    expanded_ = chunk;
}

void ChunkedSegmentReader::read(std::int64_t offset, std::span<std::uint8_t> target) {
    while (!target.empty()) {
        std::size_t chunk = chunkFor(offset);
        expand(chunk);
        const Chunk& c = index_[chunk];
        std::int64_t within = offset - c.out;
        std::size_t n =
            std::min<std::size_t>(target.size(), c.expandedLength - static_cast<std::size_t>(within));
        std::memcpy(target.data(), output_.data() + within, n);
        target = target.subspan(n);
        offset += static_cast<std::int64_t>(n);
    }
}

}  // namespace quelvane
