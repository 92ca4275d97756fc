#include "views/DataAreaView.h"

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

// Value block: the kind byte, then a 2-byte length (character) or the decimal positions and the
// digit count (decimal), then the value itself.
constexpr std::int64_t kKindAt = 0;
constexpr std::int64_t kCharacterLengthAt = 1;
constexpr std::int64_t kDecimalPositionsAt = 1;
constexpr std::int64_t kDecimalDigitsAt = 2;
constexpr std::int64_t kValueAt = 3;
constexpr std::uint8_t kCharacterKind = 4;
constexpr std::uint8_t kCharacterKindAlternative = 0x84;
constexpr std::uint8_t kDecimalKind = 3;

// The value is handled in buffers of this size: a longer stored length is cut to it.
constexpr std::int32_t kLongestValue = 5000;
constexpr std::size_t kRowWidth = 100;
constexpr int kColumnWidth = 1000;

constexpr const char* kNoSpaceRow = "This Data Area has no space";
constexpr const char* kBannerRule = "/*===============================================================*/";
constexpr const char* kBannerText = "/*The data area values below are retrived by Orsell Tool Quelvane*/";
constexpr const char* kRuler =
    ".........---------1---------2---------3---------4---------5---------6---------7---------8---------9-----"
    "---10*/";
constexpr const char* kPositions =
    "Position:"
    "1234567890123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890*/";
constexpr const char* kFirstRowPrefix = "--Values:";
constexpr const char* kRowPrefix = "         ";

using Block = BlockFile::Block;

std::vector<std::uint8_t> gatherValue(BlockFile& blocks, std::int64_t valueBlock, const Block& first,
                                      std::size_t length) {
    std::vector<std::uint8_t> value(first.begin() + kValueAt, first.begin() + BlockFile::kBodySize);
    Block buffer{};
    std::int64_t block = valueBlock;
    while (value.size() < length && blocks.read(++block, buffer)) {
        value.insert(value.end(), buffer.begin(), buffer.begin() + BlockFile::kBodySize);
    }
    value.resize(length);
    return value;
}

}  // namespace

std::optional<DataAreaValue> readDataAreaValue(const ViewSession& session, const SavedObject& object) {
    std::optional<StoredObjectBlock> stored = StoredObjectBlock::read(session, object);
    if (!stored) {
        return std::nullopt;
    }
    BlockFile blocks(*stored->file);
    const Block& buffer = stored->buffer;
    BigEndianReader header(buffer);
    std::uint8_t kind = header.u8(kKindAt);
    DataAreaValue value;
    value.character = kind == kCharacterKind || kind == kCharacterKindAlternative;
    if (!value.character && kind != kDecimalKind) {
        return std::nullopt;
    }
    value.length = value.character ? static_cast<std::int32_t>(header.u16(kCharacterLengthAt))
                                   : header.u8(kDecimalDigitsAt);
    value.decimals = value.character ? 0 : header.u8(kDecimalPositionsAt);
    if (value.length == 0) {
        return value;
    }
    auto handled = static_cast<std::size_t>(std::min(value.length, kLongestValue));
    std::vector<std::uint8_t> bytes = gatherValue(blocks, stored->block, buffer, handled);
    if (value.character) {
        convertPaddedText(bytes, session.converter, value.text);
    } else {
        decodePacked(bytes, value.length, value.decimals, kLongestValue, value.text);
    }
    return value;
}

void showDataAreaValue(ViewSession& session, const SavedObject& object) {
    ContentList& list = session.list;
    list.addColumn("", kColumnWidth, ContentList::Alignment::Left, ContentList::Sizing::Fixed);
    std::optional<DataAreaValue> value = readDataAreaValue(session, object);
    if (!value) {
        return;
    }
    if (value->length == 0) {
        list.addRow(kNoSpaceRow);
        return;
    }
    list.setColumnCaption(0, "This Data Area has " + std::to_string(value->length) + " length value space");
    list.addRow(kBannerRule);
    list.addRow(kBannerText);
    list.addRow(kBannerRule);
    list.addRow(kRuler);
    list.addRow(kPositions);

    const std::string& text = value->text;
    auto handled = static_cast<std::size_t>(std::min(value->length, kLongestValue));
    std::size_t rows = std::max<std::size_t>(1, (handled + kRowWidth - 1) / kRowWidth);
    for (std::size_t row = 0; row < rows; ++row) {
        std::string line = row == 0 ? kFirstRowPrefix : kRowPrefix;
        if (row * kRowWidth < text.size()) {
            line += text.substr(row * kRowWidth, kRowWidth);
        }
        list.addRow(line);
    }
}

}  // namespace quelvane
