#include "savefile/RecordFormatReader.h"

#include <algorithm>

#include "savefile/EbcdicField.h"
#include "savefile/RecordFormatOffsets.h"

namespace quelvane {

namespace {

StoredText storedText(const BigEndianReader& bytes, std::int64_t offset, std::int64_t width,
                      std::uint16_t ccsid) {
    std::span<const std::uint8_t> text = bytes.at(offset, width);
    return {{text.begin(), text.end()}, ccsid};
}

}  // namespace

FileDescription RecordFormatReader::read(const BigEndianReader& area, std::int64_t format,
                                         EbcdicTextConverter& converter) {
    namespace a = area_offsets;
    namespace f = format_offsets;
    FileDescription file;
    const std::uint8_t flags = area.u8(a::kFlags);
    file.logical = (flags & a::kLogicalFlag) != 0;
    file.sourceFile = (flags & a::kSourceFlag) != 0;
    file.keyed = (flags & a::kKeyedFlag) != 0;
    file.unique = (area.u8(a::kKeyFlags) & a::kUniqueFlag) != 0;
    const std::int64_t textLength = std::min<std::int64_t>(area.u16(a::kTextLength), a::kTextWidth);
    file.text = storedText(area, a::kText, textLength, static_cast<std::uint16_t>(area.u16(a::kTextCcsid)));
    file.sourceFileName = convertField(converter, area.at(a::kSourceFile, a::kNameWidth), true);
    file.sourceMember = convertField(converter, area.at(a::kSourceMember, a::kNameWidth), true);
    file.sourceLibrary = convertField(converter, area.at(a::kSourceLibrary, a::kNameWidth), true);
    file.language = convertField(converter, area.at(a::kLanguage, a::kLanguageWidth), true);
    file.country = convertField(converter, area.at(a::kCountry, a::kCountryWidth), true);

    file.formatCcsid = static_cast<std::uint16_t>(area.u16(format + f::kFormatCcsid));
    file.recordLength = static_cast<std::int32_t>(area.u16(format + f::kRecordLength));
    file.formatName = convertField(converter, area.at(format + f::kName, f::kNameWidth), true);
    file.levelId = convertField(converter, area.at(format + f::kLevelId, f::kLevelIdWidth), true);
    const auto formatTextCcsid = static_cast<std::uint16_t>(area.u16(format + f::kTextCcsid));
    file.formatText = storedText(area, format + f::kText, f::kTextWidth, formatTextCcsid);
    file.read = true;
    return file;
}

}  // namespace quelvane
