#include "savefile/BlockFile.h"

#include <algorithm>

#include "savefile/DecodingFailure.h"

namespace quelvane {

std::int64_t BlockFile::readAt(std::int64_t offset, std::uint8_t* target, std::int64_t count) {
    if (!isOpen()) {
        return 0;
    }
    std::int64_t got = source_.readAt(offset, target, count);
    bytesRead_ += static_cast<std::uint64_t>(got);
    return got;
}

std::int64_t BlockFile::readBlocks(std::int64_t count) {
    if (count < 1) {
        return 0;
    }
    if (position_ < 0 || !isOpen()) {
        return 0;
    }
    std::int64_t available = std::max<std::int64_t>(0, size() - position_);
    std::int64_t whole = available / kBlockSize;
    if (whole >= count) {
        std::int64_t last = position_ + (count - 1) * kBlockSize;
        std::int64_t got = readAt(last, held_.data(), kBlockSize);
        position_ = last + got;
        return got;
    }
    // Block `whole` is the first read to come back short; it overwrites the front of the block
    // held before it, as a block-by-block read into one buffer leaves it.
    std::int64_t shortRead = position_ + whole * kBlockSize;
    if (whole > 0) {
        readAt(shortRead - kBlockSize, held_.data(), kBlockSize);
    }
    std::int64_t got = readAt(shortRead, held_.data(), kBlockSize);
    position_ = shortRead + got;
    return got;
}

std::vector<std::uint8_t> BlockFile::collectBodies(std::int64_t firstBlock, std::int64_t offset,
                                                   std::int64_t wanted, bool requireFirst) {
    if (offset < 0) {
        throw DecodingFailure("negative offset into the block bodies");
    }
    std::int64_t block = firstBlock + offset / kBodySize;
    std::int64_t skip = offset % kBodySize;
    std::int64_t firstPart = kBodySize - skip;
    std::int64_t blocks = 1;
    if (wanted > firstPart) {
        blocks += (wanted - firstPart + kBodySize - 1) / kBodySize;
    }
    std::vector<std::uint8_t> raw;
    std::int64_t whole = 0;
    if (block >= 0 && isOpen()) {
        std::int64_t inFile = std::max<std::int64_t>(0, size() - block * kBlockSize) / kBlockSize;
        blocks = std::min(blocks, inFile);
        raw.resize(static_cast<std::size_t>(blocks * kBlockSize));
        whole = readAt(block * kBlockSize, raw.data(), blocks * kBlockSize) / kBlockSize;
    }
    if (whole == 0 && requireFirst) {
        throw DecodingFailure("block beyond the end of the file");
    }
    std::vector<std::uint8_t> bodies;
    bodies.reserve(static_cast<std::size_t>(std::max<std::int64_t>(0, whole * kBodySize - skip)));
    for (std::int64_t i = 0; i < whole; ++i) {
        auto start = raw.begin() + i * kBlockSize + (i == 0 ? skip : 0);
        bodies.insert(bodies.end(), start, raw.begin() + i * kBlockSize + kBodySize);
    }
    position_ = (block + whole) * kBlockSize;
    return bodies;
}

}  // namespace quelvane
