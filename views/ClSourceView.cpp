#include "views/ClSourceView.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "savefile/BigEndianReader.h"
#include "views/FieldDecoder.h"
#include "views/StoredObjectBlock.h"
#include "views/WholeBlocks.h"

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

using Block = WholeBlocks::Block;

std::span<const std::uint8_t> bodyOf(const Block& block) {
    return std::span<const std::uint8_t>(block).first(WholeBlocks::kBodySize);
}

// Gathers `length` source bytes starting `offset` bytes into the body of block `pointerBlock`
// into a zero-filled area of at least the classic size. A block that cannot be read ends the
// gathering with what was collected.
std::vector<std::uint8_t> gatherSource(WholeBlocks& file, std::int64_t pointerBlock, std::int32_t offset,
                                       std::int32_t length) {
    std::vector<std::uint8_t> area(kSourceAreaSize, 0);
    std::int64_t block = pointerBlock + offset / WholeBlocks::kBodySize;
    std::int64_t start = offset % WholeBlocks::kBodySize;
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

void showClSource(ViewSession& session, const SavedObject& object) {
    ContentList& list = session.list;
    list.addColumn("", ContentList::kDefaultColumnWidth, ContentList::Alignment::Left,
                   ContentList::Sizing::Header);

    std::optional<StoredObjectBlock> stored = StoredObjectBlock::read(session, object);
    if (!stored) {
        return;
    }
    WholeBlocks file(*stored->file);
    std::int64_t pointerBlock = stored->block;
    const Block& buffer = stored->buffer;
    BigEndianReader pointer(buffer);
    std::int32_t sourceOffset = pointer.s32(kSourceOffsetAt);
    std::int32_t sourceLength = pointer.s32(kSourceLengthAt);
    if (sourceLength == 0) {
        list.addRow(kWithoutSourceRow);
        return;
    }
    // Both numbers are stored unsigned; held in signed 32-bit integers, a value with the
    // top bit set cannot name a place in the file.
    if (sourceOffset < 0 || sourceLength < 0) {
        return;
    }
    list.setColumnCaption(0, kWithSourceCaption);

    std::vector<std::uint8_t> area = gatherSource(file, pointerBlock, sourceOffset, sourceLength);
    BigEndianReader source(area);
    std::uint32_t lineCount = source.u16(kFirstLineCountAt) + source.u16(kSecondLineCountAt);

    list.addRow(kBannerRule);
    list.addRow(kBannerText);
    list.addRow(kBannerRule);

    std::int64_t at = kFirstLineRecordAt;
    std::string text;
    for (std::uint32_t line = 0; line < lineCount; ++line) {
        if (!source.contains(at, kLineLengthWidth)) {
            break;
        }
        std::int32_t length = source.s32(at);
        if (length < 0 || length > kLongestLine || !source.contains(at, length + kLineRecordOverhead)) {
            break;
        }
        convertPaddedText(source.at(at + kLineLengthWidth, length), session.converter, text);
        list.addRow(text);
        at += length + kLineRecordOverhead;
    }
}

}  // namespace quelvane
