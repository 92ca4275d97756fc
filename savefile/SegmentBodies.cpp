#include "savefile/SegmentBodies.h"

#include <algorithm>

#include "savefile/BlockBodies.h"
#include "savefile/BlockFile.h"

namespace quelvane {

std::vector<std::uint8_t> readSegmentBodies(BlockSource& source, std::int64_t first, std::int64_t count) {
    std::vector<std::uint8_t> bodies;
    if (first < 0 || count <= 0) {
        return bodies;
    }
    // Never more blocks than the source holds, whatever a count says.
    count = std::min(count, std::max<std::int64_t>(0, source.size() / BlockFile::kBlockSize - first));
    bodies.resize(static_cast<std::size_t>(count * BlockFile::kBodySize));
    bodies.resize(static_cast<std::size_t>(BlockBodies(source).read(first * BlockFile::kBodySize, bodies)));
    return bodies;
}

}  // namespace quelvane
