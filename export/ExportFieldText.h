#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "conversion/EbcdicTextConverter.h"
#include "savefile/Catalog.h"

namespace quelvane {

// The text of one field in every export form, from the record bytes of a slot. Numbers and
// character, time and zoned fields read as the records view reads them; a date becomes a date
// with its time, a timestamp its stored bytes in hexadecimal, and an unknown type an empty
// text. Raises FieldDecodingFailure for a date out of range, and DecodingFailure for a field
// that reaches past the record.
void exportFieldText(std::span<const std::uint8_t> record, const SavedField& field,
                     EbcdicTextConverter& converter, std::string& text);

// "yyyy-MM-dd 12:00:00": the calendar day of Julian day number `dayNumber` at noon, the same day
// the records view shows. Raises FieldDecodingFailure outside 1721426 to 5373484 (0001-01-01 to
// 9999-12-31), the dates the export always covered.
void exportDateTimeText(std::uint32_t dayNumber, std::string& text);

}  // namespace quelvane
