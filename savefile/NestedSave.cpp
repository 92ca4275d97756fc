#include "savefile/NestedSave.h"

#include <array>

#include "savefile/BigEndianReader.h"
#include "savefile/ExpandedBlockSource.h"
#include "savefile/NestedSaveFileSource.h"
#include "savefile/ObjectKinds.h"
#include "savefile/OldestLayout.h"
#include "savefile/SaveFileLayout.h"
#include "savefile/SegmentExpansionFailure.h"
#include "savefile/TypeCodes.h"

namespace quelvane {

namespace {

constexpr std::int64_t kBlockSize = SaveFileLayout::kBlockSize;
constexpr std::int64_t kNameWidth = 10;
constexpr char kSegmentSuffix[] = "01";

// Blocks from the data segment's header block.
constexpr std::int64_t kCountBlock = 9;
constexpr std::int64_t kFirstInnerBlock = 24;
// A save of the oldest layout starts one block later: block 24 holds something else.
constexpr std::int64_t kFirstOldestInnerBlock = 25;
constexpr std::int64_t kCount = 0;
constexpr std::int64_t kCountCopy = 4;

// Inner file header.
constexpr std::int64_t kInnerBlockCount = 8;
constexpr std::int64_t kInnerHeaderSize = 52;
constexpr std::int64_t kInnerBlockCountCopy = 60;
constexpr std::uint32_t kRiscHeaderSize = 4096;

std::string padded(const std::string& name) {
    return name.size() >= kNameWidth ? name : name + std::string(kNameWidth - name.size(), ' ');
}

NestedSave failed(NestedSave::State state, std::string message) {
    NestedSave result;
    result.state = state;
    result.message = std::move(message);
    return result;
}

bool readBlock(BlockSource& source, std::int64_t block, std::array<std::uint8_t, kBlockSize>& target) {
    return block >= 0 && source.readAt(block * kBlockSize, target.data(), kBlockSize) == kBlockSize;
}

NestedSave found(std::int64_t first, std::int64_t count) {
    NestedSave result;
    result.state = NestedSave::State::Found;
    result.firstBlock = first;
    result.blockCount = count;
    return result;
}

// The inner file header: a later one at block 24 of the segment, or one of the oldest layout at
// block 25. Anything else is a save of the CISC era stored in a way not worked out.
NestedSave checkInnerHeader(BlockSource& outer, const std::string& name, std::int64_t segmentHeader,
                            std::int64_t segmentLength, std::int64_t count) {
    std::array<std::uint8_t, kBlockSize> block{};
    const std::int64_t first = segmentHeader + kFirstInnerBlock;
    if (!readBlock(outer, first, block)) {
        return failed(NestedSave::State::Damaged, name + ": the held save lies past the end of the file");
    }
    BigEndianReader header(block);
    std::uint32_t stored = header.u32(kInnerBlockCount);
    std::uint32_t copy = header.u32(kInnerBlockCountCopy);
    bool countsFit = (stored == 0 || stored == count) && (copy == 0 || copy == count);
    if (header.u32(kInnerHeaderSize) == kRiscHeaderSize && countsFit) {
        return found(first, count);
    }
    const std::int64_t oldest = segmentHeader + kFirstOldestInnerBlock;
    bool oldestFits = kFirstOldestInnerBlock + count <= segmentLength && readBlock(outer, oldest, block) &&
                      (oldest + count) * kBlockSize <= outer.size();
    if (oldestFits) {
        BigEndianReader inner(block);
        std::uint32_t innerCount = inner.u32(kInnerBlockCount);
        oldestFits = OldestLayout::matches(inner) && (innerCount == 0 || innerCount == count);
    }
    if (oldestFits) {
        return found(oldest, count);
    }
    return failed(NestedSave::State::Unsupported,
                  name +
                      " holds a save file of the CISC era, which is stored in a way Quelvane does not "
                      "read; it cannot be opened or cut out");
}

NestedSave locateIn(BlockSource& outer, const Catalog& catalog, const SavedObject& saved,
                    const std::string& library) {
    // Saves of the CISC era leave the attribute of a save file blank; its data segment decides.
    bool attributeFits = saved.attribute.empty() || saved.attribute == kSaveFileAttribute;
    if (saved.typeCode != kFileObjectType || !attributeFits) {
        return failed(NestedSave::State::NotSaveFile, saved.name + " is not a save file");
    }
    std::string key = padded(saved.name) + padded(library) + kSegmentSuffix;
    std::optional<std::int32_t> slot = catalog.segments.findFirst(
        catalog.segments.fillCount(), [&](const SegmentEntry& entry) { return entry.name == key; });
    if (!slot) {
        return failed(NestedSave::State::Missing,
                      saved.name + ": its data is not in this save (saved without data?)");
    }
    const SegmentEntry& segment = catalog.segments.slot(*slot);
    std::int64_t header = static_cast<std::int64_t>(segment.sequence) - 1;
    std::array<std::uint8_t, kBlockSize> block{};
    if (!readBlock(outer, header + kCountBlock, block)) {
        return failed(NestedSave::State::Damaged,
                      saved.name + ": the block count of the held save is past the end of the file");
    }
    BigEndianReader counts(block);
    std::uint32_t count = counts.u32(kCount);
    if (count != counts.u32(kCountCopy)) {
        return failed(NestedSave::State::Damaged,
                      saved.name + ": the two block counts of the held save disagree");
    }
    if (count == 0) {
        return failed(NestedSave::State::Empty, saved.name + " is an empty save file");
    }
    if (kFirstInnerBlock + static_cast<std::int64_t>(count) > segment.length ||
        (header + kFirstInnerBlock + count) * kBlockSize > outer.size()) {
        return failed(NestedSave::State::Damaged, saved.name + ": the held save of " + std::to_string(count) +
                                                      " blocks does not fit its segment of " +
                                                      std::to_string(segment.length) + " blocks");
    }
    return checkInnerHeader(outer, saved.name, header, segment.length, count);
}

}  // namespace

NestedSave NestedSave::locate(BlockSource& stored, const Catalog& catalog, ObjectRef ref) {
    const SavedObject* saved = catalog.findObject(ref);
    if (saved == nullptr) {
        return failed(State::Missing, "no such object in this save");
    }
    const std::string& library = catalog.parts[static_cast<std::size_t>(ref.part)].library.name;
    std::unique_ptr<ExpandedBlockSource> expanded;
    if (catalog.layout != nullptr && catalog.layout->compressed()) {
        expanded = std::make_unique<ExpandedBlockSource>(stored, catalog.layout);
    }
    try {
        NestedSave result =
            locateIn(expanded ? static_cast<BlockSource&>(*expanded) : stored, catalog, *saved, library);
        result.outerLayout = expanded ? catalog.layout : nullptr;
        return result;
    } catch (const SegmentExpansionFailure& failure) {
        return failed(State::Damaged, saved->name + ": " + failure.what());
    }
}

std::unique_ptr<BlockSource> NestedSave::open(std::unique_ptr<BlockSource> outer) const {
    if (outerLayout != nullptr) {
        outer = std::make_unique<ExpandedBlockSource>(std::move(outer), outerLayout);
    }
    return std::make_unique<NestedSaveFileSource>(std::move(outer), firstBlock, blockCount);
}

std::unique_ptr<BlockSource> NestedSave::openChain(std::unique_ptr<BlockSource> base,
                                                   const std::vector<NestedSave>& chain) {
    for (const NestedSave& step : chain) {
        base = step.open(std::move(base));
    }
    return base;
}

}  // namespace quelvane
