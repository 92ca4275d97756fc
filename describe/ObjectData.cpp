#include "describe/ObjectData.h"

#include <algorithm>
#include <array>

#include "savefile/BigEndianReader.h"
#include "savefile/BlockFile.h"
#include "savefile/SaveFileLayout.h"

namespace quelvane {

namespace {

constexpr std::int64_t kBlockSize = BlockFile::kBlockSize;
// Segment header block.
constexpr std::int64_t kObjectTypeAt = 34;
constexpr std::int64_t kBlockCountAt = SaveFileLayout::kSegmentBlocks;

}  // namespace

ObjectData::ObjectData(BlockSource& source, std::int64_t headerBlock, std::int64_t blockCount)
    : source_(&source), firstBlock_(headerBlock + 1) {
    const std::int64_t fileBlocks = source.size() / kBlockSize;
    const std::int64_t claimed = std::max<std::int64_t>(blockCount - 1, 0);
    const std::int64_t held = std::clamp<std::int64_t>(fileBlocks - firstBlock_, 0, claimed);
    truncated_ = held < claimed;
    size_ = held * kBodySize;
}

std::optional<ObjectData> ObjectData::locate(BlockSource& source, const Catalog& catalog,
                                             const SavedObject& object, std::string& why) {
    const SegmentTable& table = catalog.segments;
    for (std::int32_t slot = 0; slot < table.fillCount(); ++slot) {
        const SegmentEntry& entry = table.slot(slot);
        if (entry.name != object.name) {
            continue;
        }
        std::int64_t header = static_cast<std::int64_t>(entry.sequence) - 1;
        std::array<std::uint8_t, kBlockSize> block{};
        if (header < 0 || source.readAt(header * kBlockSize, block.data(), kBlockSize) != kBlockSize) {
            why = "the header of its data segment is not in the file";
            return std::nullopt;
        }
        BigEndianReader reader(block);
        if (reader.u16(kObjectTypeAt) != object.typeCode) {
            continue;
        }
        return ObjectData(source, header, reader.s32(kBlockCountAt));
    }
    why = "its data is not in this save";
    return std::nullopt;
}

std::vector<std::uint8_t> ObjectData::read(std::int64_t offset, std::int64_t count) const {
    std::vector<std::uint8_t> out;
    if (offset < 0 || count <= 0 || offset >= size_) {
        return out;
    }
    count = std::min(count, size_ - offset);
    out.reserve(static_cast<std::size_t>(count));
    std::array<std::uint8_t, kBlockSize> block{};
    std::int64_t at = offset;
    while (at < offset + count) {
        std::int64_t blockIndex = at / kBodySize;
        std::int64_t within = at % kBodySize;
        if (source_->readAt((firstBlock_ + blockIndex) * kBlockSize, block.data(), kBlockSize) !=
            kBlockSize) {
            break;
        }
        std::int64_t take = std::min(kBodySize - within, offset + count - at);
        out.insert(out.end(), block.begin() + within, block.begin() + within + take);
        at += take;
    }
    return out;
}

}  // namespace quelvane
