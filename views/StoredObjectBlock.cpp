#include "views/StoredObjectBlock.h"

#include <algorithm>

#include "savefile/BigEndianReader.h"
#include "views/SegmentLookup.h"

namespace quelvane {

namespace {

constexpr std::int64_t kPointedBlockOffsetAt = 212;

}  // namespace

std::optional<StoredObjectBlock> StoredObjectBlock::read(const ViewSession& session,
                                                         const SavedObject& object) {
    std::optional<std::int32_t> entry =
        SegmentLookup::findObjectSegment(session.catalog.segments, object.name);
    if (!entry) {
        return std::nullopt;
    }
    std::int64_t headerBlock = std::int64_t{session.catalog.segments.slot(*entry).sequence} - 1;

    StoredObjectBlock stored;
    stored.file = session.openSaveFile();
    BlockFile blocks(*stored.file);
    if (!blocks.read(headerBlock, stored.buffer)) {
        return std::nullopt;
    }
    std::int32_t distance = BigEndianReader(stored.buffer).s32(kPointedBlockOffsetAt);
    stored.block = headerBlock + std::max<std::int32_t>(distance, 0);
    if (!blocks.read(stored.block, stored.buffer)) {
        return std::nullopt;
    }
    return stored;
}

}  // namespace quelvane
