#include "views/ClSourceView.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "savefile/BigEndianReader.h"
#include "savefile/BlockFile.h"
#include "views/FieldDecoder.h"
#include "views/StoredObjectBlock.h"

namespace quelvane {

namespace {

// Pointer block: where the source starts (bytes from the start of its body) and how long it is.
constexpr std::int64_t kSourceOffsetAt = 72;
constexpr std::int64_t kSourceLengthAt = 76;
// Source area: two line counts, six unused bytes, then the line records.
constexpr std::int64_t kFirstLineCountAt = 0;
constexpr std::int64_t kSecondLineCountAt = 2;
constexpr std::int64_t kFirstLineRecordAt = 10;
// Line record: a 4-byte text length, the text, 4 unused bytes.
constexpr std::int64_t kLineLengthWidth = 4;
constexpr std::int64_t kLineRecordOverhead = 8;
constexpr std::int32_t kLongestLine = 5000;
// The area the source was always gathered into; a longer source enlarges it.
constexpr std::size_t kSourceAreaSize = 10512;

constexpr const char* kWithSourceCaption = "This CLP Program compiled with Allow RTVCLSRC";
constexpr const char* kWithoutSourceRow = "This CLP Program compiled with no Allow RTVCLSRC";
constexpr const char* kBannerRule = "/*=====================================================*/";
constexpr const char* kBannerText = "/*The Source below are retrived by Orsell Tool Quelvane*/";

using Block = BlockFile::Block;

std::span<const std::uint8_t> bodyOf(const Block& block) {
    return std::span<const std::uint8_t>(block).first(BlockFile::kBodySize);
}

// Gathers `length` source bytes starting `offset` bytes into the body of block `pointerBlock`
// into a zero-filled area of at least the classic size. A block that cannot be read ends the
// gathering with what was collected.
std::vector<std::uint8_t> gatherSource(BlockFile& file, std::int64_t pointerBlock, std::int32_t offset,
                                       std::int32_t length) {
    std::vector<std::uint8_t> area(kSourceAreaSize, 0);
    std::int64_t block = pointerBlock + offset / BlockFile::kBodySize;
    std::int64_t start = offset % BlockFile::kBodySize;
    Block buffer{};
    if (!file.read(block, buffer)) {
        return area;
    }
    std::size_t gathered = 0;
    auto append = [&](std::span<const std::uint8_t> bytes) {
        if (gathered + bytes.size() > area.size()) {
            area.resize(gathered + bytes.size(), 0);
        }
        std::copy(bytes.begin(), bytes.end(), area.begin() + static_cast<std::ptrdiff_t>(gathered));
        gathered += bytes.size();
    };
    append(bodyOf(buffer).subspan(static_cast<std::size_t>(start)));
    while (gathered < static_cast<std::size_t>(length) && file.read(++block, buffer)) {
        append(bodyOf(buffer));
    }
    return area;
}

}  // namespace

std::optional<ClSource> readClSource(const ViewSession& session, const SavedObject& object) {
    std::optional<StoredObjectBlock> stored = StoredObjectBlock::read(session, object);
    if (!stored) {
        return std::nullopt;
    }
    BlockFile file(*stored->file);
    BigEndianReader pointer(stored->buffer);
    std::int32_t sourceOffset = pointer.s32(kSourceOffsetAt);
    std::int32_t sourceLength = pointer.s32(kSourceLengthAt);
    ClSource source;
    if (sourceLength == 0) {
        return source;
    }
    // Both numbers are stored unsigned; held in signed 32-bit integers, a value with the
    // top bit set cannot name a place in the file.
    if (sourceOffset < 0 || sourceLength < 0) {
        return std::nullopt;
    }
    source.retrievable = true;
    std::vector<std::uint8_t> area = gatherSource(file, stored->block, sourceOffset, sourceLength);
    BigEndianReader reader(area);
    std::uint32_t lineCount = reader.u16(kFirstLineCountAt) + reader.u16(kSecondLineCountAt);
    std::int64_t at = kFirstLineRecordAt;
    for (std::uint32_t line = 0; line < lineCount; ++line) {
        if (!reader.contains(at, kLineLengthWidth)) {
            break;
        }
        std::int32_t length = reader.s32(at);
        if (length < 0 || length > kLongestLine || !reader.contains(at, length + kLineRecordOverhead)) {
            break;
        }
        convertPaddedText(reader.at(at + kLineLengthWidth, length), session.converter,
                          source.lines.emplace_back());
        at += length + kLineRecordOverhead;
    }
    return source;
}

void showClSource(ViewSession& session, const SavedObject& object) {
    ContentList& list = session.list;
    list.addColumn("", ContentList::kDefaultColumnWidth, ContentList::Alignment::Left,
                   ContentList::Sizing::Header);
    std::optional<ClSource> source = readClSource(session, object);
    if (!source) {
        return;
    }
    if (!source->retrievable) {
        list.addRow(kWithoutSourceRow);
        return;
    }
    list.setColumnCaption(0, kWithSourceCaption);
    list.addRow(kBannerRule);
    list.addRow(kBannerText);
    list.addRow(kBannerRule);
    for (const std::string& line : source->lines) {
        list.addRow(line);
    }
}

}  // namespace quelvane
