#include "savefile/FieldEntryReader.h"

#include <array>
#include <string>

#include "savefile/DecodingFailure.h"
#include "savefile/EbcdicField.h"
#include "savefile/RecordFormatOffsets.h"

namespace quelvane {

namespace {

using namespace field_offsets;

struct TypeLetter {
    std::uint8_t dataType;
    char letter;
};

// The data types whose letter the type alone gives; 04 and 06 also look at the letter byte.
constexpr std::array<TypeLetter, 10> kTypeLetters = {{{0x00, 'B'},
                                                      {0x01, 'F'},
                                                      {0x02, 'S'},
                                                      {0x03, 'P'},
                                                      {0x04, 'A'},
                                                      {0x05, 'G'},
                                                      {0x06, 'O'},
                                                      {0x0B, 'L'},
                                                      {0x0C, 'T'},
                                                      {0x0D, 'Z'}}};

// The letters the letter byte may name, in EBCDIC.
struct EbcdicLetter {
    std::uint8_t code;
    char letter;
};
constexpr std::array<EbcdicLetter, 4> kEbcdicLetters = {{{0xC8, 'H'}, {0xD1, 'J'}, {0xD6, 'O'}, {0xC5, 'E'}}};

}  // namespace

char FieldEntryReader::ddsType(std::uint8_t dataType, std::uint8_t ebcdicLetter) {
    if (dataType == 0x04 || dataType == 0x06) {
        for (const EbcdicLetter& letter : kEbcdicLetters) {
            if (letter.code == ebcdicLetter) {
                return letter.letter;
            }
        }
    }
    for (const TypeLetter& type : kTypeLetters) {
        if (type.dataType == dataType) {
            return type.letter;
        }
    }
    return '?';
}

StoredText FieldEntryReader::part(const BigEndianReader& entry, const char* what, std::int64_t offset,
                                  std::int64_t length, std::uint16_t ccsid) {
    if (offset < kShortFixedPart || !entry.contains(offset, length)) {
        throw DecodingFailure(std::string(what) + " at +" + std::to_string(offset) + " (" +
                              std::to_string(length) + " bytes) outside the variable part of its " +
                              std::to_string(entry.size()) + "-byte field entry");
    }
    std::span<const std::uint8_t> bytes = entry.at(offset, length);
    return {{bytes.begin(), bytes.end()}, ccsid};
}

StoredText FieldEntryReader::defaultValue(const BigEndianReader& entry, std::uint16_t ccsid) {
    const std::int64_t offset = entry.u16(kDefaultOffset);
    if (offset == 0) {
        return {};
    }
    part(entry, "DFT", offset, kDefaultHeader, ccsid);
    const std::int64_t length = entry.u16(offset);
    if (length < kDefaultHeader) {
        throw DecodingFailure("DFT at +" + std::to_string(offset) + " shorter than its header");
    }
    return part(entry, "DFT", offset + kDefaultHeader, length - kDefaultHeader, ccsid);
}

StoredText FieldEntryReader::longName(const BigEndianReader& entry, std::uint16_t ccsid) {
    const std::int64_t offset = entry.u16(kLongNameOffset);
    if (offset == 0) {
        return {};
    }
    part(entry, "ALIAS", offset, kLongNameText, ccsid);
    const std::int64_t length = entry.u16(offset + kLongNameLength);
    if (length > kLongNameLimit) {
        throw DecodingFailure("ALIAS at +" + std::to_string(offset) + " claims " + std::to_string(length) +
                              " characters");
    }
    return part(entry, "ALIAS", offset + kLongNameText, length, ccsid);
}

FieldDescription FieldEntryReader::read(const BigEndianReader& entry, EbcdicTextConverter& converter) {
    FieldDescription field;
    if (!entry.contains(0, kShortFixedPart)) {
        return field;
    }
    field.externalName = convertField(converter, entry.at(kName, kNameWidth), true);
    field.dataType = entry.u8(kDataType);
    field.ddsType = ddsType(field.dataType, entry.u8(kDdsLetter));
    field.usage = entry.u8(kUsage);
    field.ccsid = static_cast<std::uint16_t>(entry.u16(kCcsid));
    field.bufferLength = static_cast<std::int32_t>(entry.u16(kBufferLength));
    field.bufferPosition = static_cast<std::int32_t>(entry.u16(kInputPosition));
    field.allocatedLength = static_cast<std::int32_t>(entry.u16(kAllocatedLength));
    field.varying = (entry.u8(kVaryingFlags) & kVaryingFlag) != 0;
    field.nullCapable = (entry.u8(kNullFlags) & kNullCapableFlag) != 0;
    const auto textCcsid = static_cast<std::uint16_t>(entry.u16(kTextCcsid));
    const auto headingsCcsid = static_cast<std::uint16_t>(entry.u16(kHeadingsCcsid));
    field.defaultValue = defaultValue(entry, field.ccsid);
    // A long name keeps to the invariant characters; it is read in the texts' CCSID.
    field.longName = longName(entry, textCcsid != 0 ? textCcsid : headingsCcsid);
    if (entry.u16(kTextOffset) != 0) {
        field.text = part(entry, "TEXT", entry.u16(kTextOffset), entry.u16(kTextLength), textCcsid);
    }
    if (entry.u16(kHeadingsOffset) != 0) {
        field.columnHeadings =
            part(entry, "COLHDG", entry.u16(kHeadingsOffset), entry.u16(kHeadingsLength), headingsCcsid);
    }
    field.read = true;
    return field;
}

}  // namespace quelvane
