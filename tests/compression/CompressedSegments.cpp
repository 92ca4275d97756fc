#include "tests/compression/CompressedSegments.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "savefile/BigEndianReader.h"

namespace quelvane::test {

namespace {

constexpr std::size_t kBlockSize = 528;
constexpr std::size_t kBodySize = 512;
constexpr std::size_t kHeaderSize = 512;
constexpr std::size_t kBlockCountOffset = 204;
constexpr std::size_t kCompressedLengthOffset = 0x174;
constexpr std::size_t kChunkHeaderSize = 14;
constexpr std::size_t kTagSize = 6;
constexpr std::size_t kChunkUlenOffset = 6;
constexpr std::size_t kChunkClenOffset = 10;
constexpr std::size_t kAlgorithmHeaderSize = 12;
constexpr std::array<std::uint8_t, 4> kHeaderMark = {0xFF, 0xFF, 0xFF, 0xFF};
// "LD_TRS" and "LD_LZ1" in EBCDIC.
constexpr std::array<std::uint8_t, kTagSize> kTerseTag = {0xD3, 0xC4, 0x6D, 0xE3, 0xD9, 0xE2};
constexpr std::array<std::uint8_t, kTagSize> kLz1Tag = {0xD3, 0xC4, 0x6D, 0xD3, 0xE9, 0xF1};

std::vector<std::uint8_t> joinedBodies(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::uint8_t> bodies;
    for (std::size_t at = 0; at + kBlockSize <= file.size(); at += kBlockSize) {
        bodies.insert(bodies.end(), file.begin() + static_cast<std::ptrdiff_t>(at),
                      file.begin() + static_cast<std::ptrdiff_t>(at + kBodySize));
    }
    return bodies;
}

bool headerAt(const std::vector<std::uint8_t>& bodies, std::size_t at) {
    return at + kHeaderSize <= bodies.size() && std::equal(kHeaderMark.begin(), kHeaderMark.end(),
                                                           bodies.begin() + static_cast<std::ptrdiff_t>(at));
}

bool tagIs(std::span<const std::uint8_t> bytes, const std::array<std::uint8_t, kTagSize>& tag) {
    return bytes.size() >= kTagSize && std::equal(tag.begin(), tag.end(), bytes.begin());
}

}  // namespace

CompressedSegments::CompressedSegments(const std::string& path) {
    walk(joinedBodies(path));
}

std::size_t CompressedSegments::count(CompressionKind kind) const {
    return static_cast<std::size_t>(std::count_if(
        pieces_.begin(), pieces_.end(), [kind](const CompressedPiece& p) { return p.kind == kind; }));
}

// The first segment header is the first 512-byte body starting FF FF FF FF; each one after
// follows the previous segment's data at once or after zero padding to a 512-byte boundary.
void CompressedSegments::walk(const std::vector<std::uint8_t>& bodies) {
    std::size_t at = 0;
    while (at < bodies.size() && !headerAt(bodies, at)) {
        at += kBodySize;
    }
    BigEndianReader reader(bodies);
    while (headerAt(bodies, at)) {
        std::uint32_t blocks = reader.u32(static_cast<std::int64_t>(at + kBlockCountOffset));
        std::uint32_t dataLength = reader.u32(static_cast<std::int64_t>(at + kCompressedLengthOffset));
        if (blocks == 0) {
            throw std::runtime_error("segment header with no blocks");
        }
        if (dataLength == 0) {
            at += static_cast<std::size_t>(blocks) * kBodySize;
            continue;
        }
        auto data = reader.at(static_cast<std::int64_t>(at + kHeaderSize), dataLength);
        if (tagIs(data, kTerseTag) || tagIs(data, kLz1Tag)) {
            addChunks(bodies, at, dataLength);
        } else {
            pieces_.push_back(
                {CompressionKind::RunLength, at, 0, (blocks - 1) * kBodySize, {data.begin(), data.end()}});
        }
        std::size_t next = at + kHeaderSize + dataLength;
        at = headerAt(bodies, next) ? next : (next + kBodySize - 1) / kBodySize * kBodySize;
    }
}

void CompressedSegments::addChunks(const std::vector<std::uint8_t>& bodies, std::size_t segment,
                                   std::size_t dataLength) {
    BigEndianReader data(std::span<const std::uint8_t>(bodies).subspan(segment + kHeaderSize, dataLength));
    std::size_t at = 0;
    while (at < dataLength) {
        auto tag = data.at(static_cast<std::int64_t>(at), kTagSize);
        CompressionKind kind = tagIs(tag, kTerseTag) ? CompressionKind::Terse
                               : tagIs(tag, kLz1Tag) ? CompressionKind::Lz1
                                                     : throw std::runtime_error("unknown chunk tag");
        std::uint32_t ulen = data.u32(static_cast<std::int64_t>(at + kChunkUlenOffset));
        std::uint32_t clen = data.u32(static_cast<std::int64_t>(at + kChunkClenOffset));
        auto code =
            data.at(static_cast<std::int64_t>(at + kChunkHeaderSize + kAlgorithmHeaderSize),
                    static_cast<std::int64_t>(clen) - static_cast<std::int64_t>(kAlgorithmHeaderSize));
        pieces_.push_back({kind, segment, at, ulen, {code.begin(), code.end()}});
        at += kChunkHeaderSize + clen;
    }
}

}  // namespace quelvane::test
