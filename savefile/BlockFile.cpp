#include "savefile/BlockFile.h"

#include <algorithm>

#include "savefile/BlockBodies.h"
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
    const std::int64_t block = firstBlock + offset / kBodySize;
    const std::int64_t skip = offset % kBodySize;
    const std::int64_t beyondFirst = wanted - (kBodySize - skip);
    std::int64_t blocks = 1;
    if (beyondFirst > 0) {
        blocks += beyondFirst / kBodySize + (beyondFirst % kBodySize != 0 ? 1 : 0);
    }
    std::vector<std::uint8_t> bodies;
    std::int64_t whole = 0;
    if (block >= 0 && isOpen()) {
        const std::int64_t inFile = std::max<std::int64_t>(0, size() - block * kBlockSize) / kBlockSize;
        whole = appendBodies(block, std::min(blocks, inFile), skip, bodies);
    }
    if (whole == 0 && requireFirst) {
        throw DecodingFailure("block beyond the end of the file");
    }
    position_ = (block + whole) * kBlockSize;
    return bodies;
}

std::int64_t BlockFile::appendBodies(std::int64_t block, std::int64_t blocks, std::int64_t skip,
                                     std::vector<std::uint8_t>& bodies) {
    BlockBodies reader(source_);
    std::int64_t whole = 0;
    while (whole < blocks && isOpen()) {
        const std::int64_t step = std::min(kStepBlocks, blocks - whole);
        const std::int64_t from = whole == 0 ? skip : 0;
        const std::size_t at = bodies.size();
        bodies.resize(at + static_cast<std::size_t>(step * kBodySize - from));
        const std::int64_t got = std::max<std::int64_t>(
            0, reader.read((block + whole) * kBodySize + from, std::span<std::uint8_t>(bodies).subspan(at)));
        // Only whole blocks count: a block that read short holds no body.
        const std::int64_t done = (from + got) / kBodySize;
        bodies.resize(at + static_cast<std::size_t>(std::max<std::int64_t>(0, done * kBodySize - from)));
        bytesRead_ += static_cast<std::uint64_t>(std::min(step, done + 1) * kBlockSize);
        whole += done;
        if (done < step) {
            break;
        }
    }
    return whole;
}

std::vector<std::uint8_t> BlockFile::readBodies(std::int64_t first, std::int64_t count) {
    if (first < 0 || count <= 0) {
        return {};
    }
    count = std::min(count, std::max<std::int64_t>(0, size() / kBlockSize - first));
    if (count == 0) {
        return {};
    }
    return collectBodies(first, 0, count * kBodySize, false);
}

std::int64_t BlockFile::readRun(std::int64_t first, std::int64_t count, std::span<std::uint8_t> out) {
    count = std::min(count, static_cast<std::int64_t>(out.size()) / kBlockSize);
    if (first < 0 || count < 1 || first > size() / kBlockSize) {
        return 0;
    }
    return readAt(first * kBlockSize, out.data(), count * kBlockSize) / kBlockSize;
}

}  // namespace quelvane
