#include "tests/support/ContentFixtures.h"

#include <algorithm>
#include <cstdio>

namespace quelvane::test {

namespace {

constexpr std::int64_t kBody = 512;
constexpr std::int64_t kStreamHeader = 32;
constexpr std::int64_t kFirstStreamBlock = 16;
constexpr std::int64_t kOldestFirstStreamBlock = 4;
constexpr std::int64_t kHeaderInterval = 32768;

bool streamHeaderBlock(std::int64_t block) {
    return block == 0 ||
           (block >= kHeaderInterval + 1 && (block - kHeaderInterval - 1) % kHeaderInterval == 0);
}

}  // namespace

std::pair<std::int64_t, std::int64_t> ContentFixtures::streamPosition(std::int64_t offset) {
    // The first header period is 32769 blocks (block 0 to 32768), every later one 32768.
    constexpr std::int64_t firstPeriod = (kBody - kStreamHeader) + kHeaderInterval * kBody;
    constexpr std::int64_t period = (kBody - kStreamHeader) + (kHeaderInterval - 1) * kBody;
    std::int64_t block = 0;
    if (offset >= firstPeriod) {
        offset -= firstPeriod;
        block = kHeaderInterval + 1 + (offset / period) * kHeaderInterval;
        offset %= period;
    }
    if (offset < kBody - kStreamHeader) {
        return {block, kStreamHeader + offset};
    }
    offset -= kBody - kStreamHeader;
    return {block + 1 + offset / kBody, offset % kBody};
}

std::vector<Placement> ContentFixtures::streamPlacements(std::int64_t offset,
                                                         const std::vector<std::uint8_t>& bytes,
                                                         bool oldestLayout) {
    const std::int64_t first = oldestLayout ? kOldestFirstStreamBlock : kFirstStreamBlock;
    std::vector<Placement> placements;
    std::size_t done = 0;
    while (done < bytes.size()) {
        auto [block, body] = streamPosition(offset + static_cast<std::int64_t>(done));
        std::size_t room = static_cast<std::size_t>(kBody - body);
        std::size_t count = std::min(room, bytes.size() - done);
        Placement placement;
        placement.block = first + block;
        placement.offset = body;
        placement.bytes.assign(bytes.begin() + static_cast<std::ptrdiff_t>(done),
                               bytes.begin() + static_cast<std::ptrdiff_t>(done + count));
        placements.push_back(std::move(placement));
        done += count;
    }
    return placements;
}

std::vector<std::uint8_t> ContentFixtures::streamBytes(std::int32_t recordLength,
                                                       const std::vector<StreamSlot>& slots) {
    auto slotSize = static_cast<std::size_t>(recordLength) + 1;
    std::vector<std::uint8_t> bytes(slotSize, 0xEE);
    for (const StreamSlot& slot : slots) {
        std::vector<std::uint8_t> stored(slotSize, 0);
        stored[0] = slot.status;
        std::copy_n(slot.record.begin(), std::min(slot.record.size(), slotSize - 1), stored.begin() + 1);
        bytes.insert(bytes.end(), stored.begin(), stored.end());
    }
    return bytes;
}

BuiltSegment ContentFixtures::memberRecords(const std::string& fileName, const std::string& memberName,
                                            std::int32_t recordLength, const std::vector<StreamSlot>& slots,
                                            bool oldestLayout) {
    const std::int64_t first = oldestLayout ? kOldestFirstStreamBlock : kFirstStreamBlock;
    char key[64];
    std::snprintf(key, sizeof key, "%-10s%s", fileName.c_str(), memberName.c_str());
    BuiltSegment segment;
    segment.name = key;
    std::vector<std::uint8_t> bytes = streamBytes(recordLength, slots);
    segment.placements = streamPlacements(0, bytes, oldestLayout);
    // Header blocks of the stream carry a header of their own, which the stream skips.
    std::int64_t lastBlock = segment.placements.empty() ? 0 : segment.placements.back().block - first;
    for (std::int64_t block = 0; block <= lastBlock; ++block) {
        if (streamHeaderBlock(block)) {
            segment.placements.push_back({first + block, 0, std::vector<std::uint8_t>(kStreamHeader, 0xA5)});
        }
    }
    segment.length = static_cast<std::int32_t>(first + lastBlock + 1);
    return segment;
}

std::vector<std::uint8_t> ContentFixtures::sourceArea(const BuiltClSource& source) {
    std::vector<std::uint8_t> area(10, 0);
    SaveFileBuilder::putU16(area, 0, source.firstLineCount);
    SaveFileBuilder::putU16(area, 2, static_cast<std::uint32_t>(source.lines.size()) - source.firstLineCount);
    for (const std::string& line : source.lines) {
        std::vector<std::uint8_t> record(line.size() + 8, 0);
        SaveFileBuilder::putU32(record, 0, static_cast<std::uint32_t>(line.size()));
        SaveFileBuilder::putBytes(record, 4, SaveFileBuilder::ebcdic(line, line.size()));
        area.insert(area.end(), record.begin(), record.end());
    }
    return area;
}

BuiltSegment ContentFixtures::clProgram(const BuiltClSource& source) {
    std::vector<std::uint8_t> area = sourceArea(source);
    std::uint32_t length = source.sourceLength.value_or(static_cast<std::uint32_t>(area.size()));
    BuiltSegment segment;
    segment.name = source.objectName;
    std::vector<std::uint8_t> header(4, 0);
    SaveFileBuilder::putU32(header, 0, static_cast<std::uint32_t>(source.pointerBlock));
    segment.placements.push_back({0, 212, header});
    std::vector<std::uint8_t> pointer(8, 0);
    SaveFileBuilder::putU32(pointer, 0, source.sourceOffset);
    SaveFileBuilder::putU32(pointer, 4, length);
    segment.placements.push_back({source.pointerBlock, 72, pointer});
    if (length != 0) {
        segment.placements.push_back({source.pointerBlock, source.sourceOffset, area});
    }
    std::int64_t end =
        source.pointerBlock + (source.sourceOffset + static_cast<std::int64_t>(area.size())) / kBody + 1;
    segment.length = static_cast<std::int32_t>(std::max<std::int64_t>(16, end + 1));
    return segment;
}

BuiltSegment ContentFixtures::dataArea(const BuiltDataArea& area) {
    BuiltSegment segment;
    segment.name = area.objectName;
    std::vector<std::uint8_t> header(4, 0);
    SaveFileBuilder::putU32(header, 0, static_cast<std::uint32_t>(area.valueBlock));
    segment.placements.push_back({0, 212, header});
    std::vector<std::uint8_t> value(3, 0);
    value[0] = area.kind;
    if (area.kind == 3) {
        value[1] = area.decimals;
        value[2] = area.digits;
    } else {
        SaveFileBuilder::putU16(value, 1, area.length);
    }
    value.insert(value.end(), area.value.begin(), area.value.end());
    segment.placements.push_back({area.valueBlock, 0, value});
    std::int64_t end = area.valueBlock + static_cast<std::int64_t>(value.size()) / kBody + 1;
    segment.length = static_cast<std::int32_t>(std::max<std::int64_t>(16, end + 1));
    return segment;
}

BuiltSegment ContentFixtures::savedSaveFile(const std::string& objectName, std::uint32_t firstWord) {
    BuiltSegment segment;
    segment.name = objectName;
    std::vector<std::uint8_t> word(4, 0);
    SaveFileBuilder::putU32(word, 0, firstWord);
    // The nested file's header: its block counts, so the block is never all zero.
    std::vector<std::uint8_t> counts(4, 0);
    SaveFileBuilder::putU32(counts, 0, 152);
    segment.placements.push_back({24, 0, word});
    segment.placements.push_back({24, 8, counts});
    segment.length = 32;
    return segment;
}

BuiltSegment ContentFixtures::heldSave(const std::string& objectName, const std::string& library,
                                       const std::vector<std::uint8_t>& inner,
                                       std::optional<std::uint32_t> count, bool oldestLayout) {
    constexpr std::size_t kBlock = 528;
    constexpr std::int32_t kCountBlock = 9;
    const std::int32_t firstInnerBlock = oldestLayout ? 25 : 24;
    constexpr std::int32_t kSpareBlocks = 8;
    const auto blocks = static_cast<std::uint32_t>(inner.size() / kBlock);
    const auto padded = [](std::string name) {
        name.resize(10, ' ');
        return name;
    };
    BuiltSegment segment;
    segment.name = padded(objectName) + padded(library) + "01";
    std::vector<std::uint8_t> counts(8, 0);
    SaveFileBuilder::putU32(counts, 0, count.value_or(blocks));
    SaveFileBuilder::putU32(counts, 4, count.value_or(blocks));
    std::vector<std::uint8_t> bodies;
    for (std::size_t at = 0; at + kBlock <= inner.size(); at += kBlock) {
        bodies.insert(bodies.end(), inner.begin() + static_cast<std::ptrdiff_t>(at),
                      inner.begin() + static_cast<std::ptrdiff_t>(at + static_cast<std::size_t>(kBody)));
    }
    segment.placements.push_back({kCountBlock, 0, counts});
    if (oldestLayout) {
        segment.placements.push_back({firstInnerBlock - 1, 0, {0x00, 0x0D, 0x00, 0xA0}});
    }
    if (!bodies.empty()) {
        segment.placements.push_back({firstInnerBlock, 0, bodies});
    }
    segment.length = firstInnerBlock + static_cast<std::int32_t>(blocks) + kSpareBlocks;
    return segment;
}

BuiltObject ContentFixtures::programObject(const std::string& name, const std::string& attribute) {
    BuiltObject object;
    object.name = name;
    object.typeCode = 0x0201;
    object.attribute = attribute;
    object.text = "Program " + name;
    return object;
}

BuiltObject ContentFixtures::dataAreaObject(const std::string& name) {
    BuiltObject object;
    object.name = name;
    object.typeCode = 0x190A;
    object.text = "Data area " + name;
    return object;
}

}  // namespace quelvane::test
