#include "savefile/SegmentBodies.h"

#include <algorithm>

namespace quelvane {

namespace {

constexpr std::int64_t kBlockSize = 528;
constexpr std::int64_t kBodySize = 512;

}  // namespace

std::vector<std::uint8_t> readSegmentBodies(BlockSource& source, std::int64_t first, std::int64_t count) {
    std::vector<std::uint8_t> bodies;
    if (first < 0 || count <= 0) {
        return bodies;
    }
    // Never more blocks than the source holds, whatever a count says.
    count = std::min(count, std::max<std::int64_t>(0, source.size() / kBlockSize - first));
    std::vector<std::uint8_t> raw(static_cast<std::size_t>(count * kBlockSize));
    std::int64_t whole =
        count > 0 ? source.readAt(first * kBlockSize, raw.data(), count * kBlockSize) / kBlockSize : 0;
    bodies.reserve(static_cast<std::size_t>(whole * kBodySize));
    for (std::int64_t i = 0; i < whole; ++i) {
        auto start = raw.begin() + i * kBlockSize;
        bodies.insert(bodies.end(), start, start + kBodySize);
    }
    return bodies;
}

}  // namespace quelvane
