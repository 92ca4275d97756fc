#include "savefile/BlockBodies.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "savefile/BlockFile.h"

namespace quelvane {

std::int64_t BlockBodies::size() const {
    return source_.size() / BlockFile::kBlockSize * BlockFile::kBodySize;
}

std::int64_t BlockBodies::read(std::int64_t offset, std::span<std::uint8_t> target) {
    std::int64_t wanted = std::min<std::int64_t>(static_cast<std::int64_t>(target.size()), size() - offset);
    if (offset < 0 || wanted <= 0) {
        return 0;
    }
    std::int64_t firstBlock = offset / BlockFile::kBodySize;
    std::int64_t skip = offset % BlockFile::kBodySize;
    std::int64_t blocks = (skip + wanted + BlockFile::kBodySize - 1) / BlockFile::kBodySize;
    std::vector<std::uint8_t> raw(static_cast<std::size_t>(blocks * BlockFile::kBlockSize));
    std::int64_t got =
        source_.readAt(firstBlock * BlockFile::kBlockSize, raw.data(), static_cast<std::int64_t>(raw.size()));
    std::int64_t copied = 0;
    for (std::int64_t block = 0; block * BlockFile::kBlockSize < got && copied < wanted; ++block) {
        std::int64_t from = block == 0 ? skip : 0;
        std::int64_t inBlock = std::min(got - block * BlockFile::kBlockSize, BlockFile::kBodySize);
        std::int64_t n = std::min(inBlock - from, wanted - copied);
        if (n <= 0) {
            break;
        }
        std::memcpy(target.data() + copied, raw.data() + block * BlockFile::kBlockSize + from,
                    static_cast<std::size_t>(n));
        copied += n;
    }
    return copied;
}

}  // namespace quelvane
