#include "savefile/SegmentBodies.h"

#include <algorithm>

#include "savefile/BlockBodies.h"
#include "savefile/BlockFile.h"

namespace quelvane {

namespace {

// Bodies read per step. The size of an expanded image comes from the segment headers it
// expands, so a count within that size still need not be backed by bytes: the room grows only
// with the bodies that were read.
constexpr std::int64_t kStepBlocks = 256;

}  // namespace

std::vector<std::uint8_t> readSegmentBodies(BlockSource& source, std::int64_t first, std::int64_t count) {
    std::vector<std::uint8_t> bodies;
    if (first < 0 || count <= 0) {
        return bodies;
    }
    // Never more blocks than the source holds, whatever a count says.
    count = std::min(count, std::max<std::int64_t>(0, source.size() / BlockFile::kBlockSize - first));
    BlockBodies reader(source);
    for (std::int64_t done = 0; done < count;) {
        const std::int64_t step = std::min(kStepBlocks, count - done);
        const std::size_t at = bodies.size();
        bodies.resize(at + static_cast<std::size_t>(step * BlockFile::kBodySize));
        const std::int64_t got =
            reader.read((first + done) * BlockFile::kBodySize, std::span<std::uint8_t>(bodies).subspan(at));
        bodies.resize(at + static_cast<std::size_t>(std::max<std::int64_t>(got, 0)));
        if (got < step * BlockFile::kBodySize) {
            break;
        }
        done += step;
    }
    return bodies;
}

}  // namespace quelvane
