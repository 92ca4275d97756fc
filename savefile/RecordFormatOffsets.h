#pragma once

#include <cstdint>

namespace quelvane {

// Where a *FILE's member area keeps the facts of the file, its record format and each field
// entry. Area offsets count from the first byte after the area's 16-byte prefix; format offsets
// from the start of the record-format section (the u32 at area +0); field-entry offsets from
// the start of the entry.

namespace area_offsets {
inline constexpr std::int64_t kFlags = 0x30;
inline constexpr std::uint8_t kLogicalFlag = 0x20;
inline constexpr std::uint8_t kSourceFlag = 0x08;
inline constexpr std::uint8_t kKeyedFlag = 0x02;
inline constexpr std::int64_t kKeyFlags = 0x3C;
inline constexpr std::uint8_t kUniqueFlag = 0x10;
inline constexpr std::int64_t kTextLength = 0x7A;
inline constexpr std::int64_t kText = 0x7C;
inline constexpr std::int64_t kTextWidth = 50;
inline constexpr std::int64_t kSourceFile = 0xBB;
inline constexpr std::int64_t kSourceMember = 0xC5;
inline constexpr std::int64_t kSourceLibrary = 0xCF;
inline constexpr std::int64_t kNameWidth = 10;
// A blank, then LANGID (3) and CNTRYID (2) of the job that created the file.
inline constexpr std::int64_t kLanguage = 0x102;
inline constexpr std::int64_t kLanguageWidth = 3;
inline constexpr std::int64_t kCountry = 0x105;
inline constexpr std::int64_t kCountryWidth = 2;
inline constexpr std::int64_t kTextCcsid = 0x109;
}  // namespace area_offsets

namespace format_offsets {
// The section's length: the next format of a multi-format logical file starts this many bytes
// and kNextFormatGap more after this one.
inline constexpr std::int64_t kSectionLength = 80;
inline constexpr std::int64_t kNextFormatGap = 16;
inline constexpr std::int64_t kFormatCcsid = 61;
inline constexpr std::int64_t kTextCcsid = 65;
inline constexpr std::int64_t kRecordLength = 82;
inline constexpr std::int64_t kName = 84;
inline constexpr std::int64_t kNameWidth = 10;
inline constexpr std::int64_t kLevelId = 94;
inline constexpr std::int64_t kLevelIdWidth = 13;
inline constexpr std::int64_t kText = 107;
inline constexpr std::int64_t kTextWidth = 50;
inline constexpr std::int64_t kFieldCount = 157;
inline constexpr std::int64_t kFirstField = 159;
}  // namespace format_offsets

namespace field_offsets {
inline constexpr std::int64_t kEntryLength = 0;
inline constexpr std::int64_t kBasedOnName = 2;
inline constexpr std::int64_t kName = 12;
inline constexpr std::int64_t kNameWidth = 10;
inline constexpr std::int64_t kVaryingFlags = 22;
inline constexpr std::uint8_t kVaryingFlag = 0x80;
inline constexpr std::int64_t kDataType = 23;
inline constexpr std::int64_t kUsage = 24;
inline constexpr std::int64_t kInputPosition = 27;
inline constexpr std::int64_t kBufferLength = 29;
inline constexpr std::int64_t kDigits = 31;
inline constexpr std::int64_t kDecimals = 33;
// The EBCDIC DDS letter where the data type stands for more than one (H, J, O, E); else 0.
inline constexpr std::int64_t kDdsLetter = 35;
inline constexpr std::int64_t kNullFlags = 39;
inline constexpr std::uint8_t kNullCapableFlag = 0x80;
inline constexpr std::int64_t kDefaultOffset = 49;
inline constexpr std::int64_t kLongNameOffset = 53;
inline constexpr std::int64_t kTextLength = 55;
inline constexpr std::int64_t kTextOffset = 57;
inline constexpr std::int64_t kHeadingsLength = 67;
inline constexpr std::int64_t kHeadingsOffset = 69;
inline constexpr std::int64_t kAllocatedLength = 75;
inline constexpr std::int64_t kCcsid = 79;
inline constexpr std::int64_t kTextCcsid = 81;
inline constexpr std::int64_t kHeadingsCcsid = 83;
// The fixed part: 144 bytes, or 96 in saves of older releases; the variable parts follow it.
inline constexpr std::int64_t kShortFixedPart = 96;
inline constexpr std::int64_t kFixedPart = 144;
// A DFT block: u16 length of the whole block, one byte 00, the literal.
inline constexpr std::int64_t kDefaultHeader = 3;
// A long-name block: 8 bytes, then u16 length and the name.
inline constexpr std::int64_t kLongNameLength = 8;
inline constexpr std::int64_t kLongNameText = 10;
inline constexpr std::int64_t kLongNameLimit = 128;
}  // namespace field_offsets

}  // namespace quelvane
