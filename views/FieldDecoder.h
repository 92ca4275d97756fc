#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "conversion/EbcdicTextConverter.h"
#include "savefile/Catalog.h"
#include "savefile/TypeCodes.h"
#include "views/FieldDecodingFailure.h"

namespace quelvane {

// Turns the stored bytes of one record field into the text the records view and the exports
// show, chosen by the field's type code. Each decoder writes into a caller-owned string, so a
// listing reuses one string's storage for every field of every record.
//
// A field's bytes come as a span. A field is decoded as if copied into a zero-filled value
// buffer of 5000 bytes, so a decoder that examines more bytes
// than the span holds (a packed field whose digit count outruns its length) reads zeros there.
// Fields longer than 5000 bytes are decoded whole, as if the buffer were as long as the field.

// The size of the value buffer the character and time texts are converted from.
inline constexpr std::size_t kValueBufferSize = 5000;

// The capacity the records view and the exports give decodePacked.
inline constexpr int kTextCapacity = 5000;

// True for the binary, zoned and packed types, whose columns are right-aligned and widened.
bool isNumericFieldType(std::uint16_t typeCode);

// The texts the records view and the exports share: binary, zoned, packed, character and time
// fields, from the field's stored bytes. False, with `text` untouched, for the other types, whose
// texts differ between the two.
bool decodeSharedFieldText(std::span<const std::uint8_t> bytes, const SavedField& field,
                           EbcdicTextConverter& converter, std::string& text);

// Decodes `value`, the field's stored bytes (bytes past `field.length` are ignored), by the
// field's type code. Unknown type codes give a single blank. Raises FieldDecodingFailure only
// for a date out of range.
void decodeFieldValue(std::span<const std::uint8_t> value, const SavedField& field,
                      EbcdicTextConverter& converter, std::string& text);
std::string decodeFieldValue(std::span<const std::uint8_t> value, const SavedField& field,
                             EbcdicTextConverter& converter);

// How a field's value is loaded into a database column: a whole number, an exact decimal kept as
// text, or text.
enum class LoadedKind { Integer, Decimal, Text };

// The kind of the column a field's values are loaded into: Integer for binary fields of up to
// eight bytes without decimal positions and for packed and zoned fields without decimal positions of up to 18
// digits (the most a signed 64-bit integer always holds), Decimal for the other packed and zoned fields,
// binary fields with decimal positions and floats, Text for every other type.
LoadedKind loadedFieldKind(const SavedField& field);

// The field's value decoded as for the records view, in the form made for loading: numbers as
// plain decimal text ("-12.50": sign, integer digits without leading zeros, a point and the
// declared decimal positions; binary fields scaled by theirs), floats as decodeFloat gives them,
// dates as "yyyy-mm-dd", timestamps whole as decodeLoadedTimestamp gives them, times as the
// view's "hh:mm:ss", character fields without trailing blanks. A numeric value with no
// number in it (digits outside 0-9) keeps the view's text and is Text; a numeric field of
// blanks gives an empty text. Returns the kind of this value. Raises
// FieldDecodingFailure as decodeFieldValue does.
LoadedKind decodeLoadedFieldValue(std::span<const std::uint8_t> value, const SavedField& field,
                                  EbcdicTextConverter& converter, std::string& text);

// Rewrites a number text of the numeric decoders ("0-0.05", "0012.30", " 7.") as plain decimal
// text with `decimals` decimal positions or more, and a text without digits as an empty one;
// false, with `text` untouched, when it holds anything but blanks, digits, one sign and one
// point.
bool toPlainDecimal(std::string& text, int decimals);

// Packed decimal over digits / 2 + 1 bytes: sign, digits, point, leading zeros removed, cut to
// `capacity` characters. Only the sign nibble 0xF is positive.
void decodePacked(std::span<const std::uint8_t> bytes, int digits, int decimals, int capacity,
                  std::string& text);

// Zoned decimal over `length` bytes, fixed width with leading zeros; a length of 0 gives an
// empty text.
void decodeZoned(std::span<const std::uint8_t> bytes, int length, int decimals, std::string& text);

// Zoned decimal over `digits` bytes, always with a decimal point (no field type of a record
// format is read this way).
void decodeZonedPointed(std::span<const std::uint8_t> bytes, int digits, int decimals, std::string& text);

// The big-endian two's-complement integer in the first `length` bytes, for lengths 1 to 8 (the
// host's binary fields are 2, 4 or 8 bytes). Longer fields give the value of their last eight.
std::int64_t decodeBinary(std::span<const std::uint8_t> bytes, int length);

// The binary field's text: the integer in decimal, without a decimal point whatever the
// field's decimal positions. A field longer than eight bytes has no integer type to hold it and
// shows its bytes as "0x" and upper-case hex digits.
void decodeBinaryText(std::span<const std::uint8_t> bytes, int length, std::string& text);

// The float field's value: a 4-byte field as single and an 8-byte one as double precision, in
// the shortest decimal text that reads back to the same value ("1.5", "-2.5e-07"); "NaN",
// "Infinity" and "-Infinity" for the values that are no number. Other lengths show their bytes
// as decodeBinaryText shows a long binary field.
void decodeFloat(std::span<const std::uint8_t> bytes, int length, std::string& text);

// The integer text of decodeBinaryText ("-12345") with `decimals` of its digits behind a
// point ("-123.45", "0.05"); untouched where `decimals` is 0 or the text is no integer.
void scaleIntegerText(std::string& text, int decimals);

// "YYYY/MM/DD" ('/' being `separator`): the calendar day of the Julian day number the first four bytes hold.
// Raises FieldDecodingFailure for a day number outside 1721426 to 5373484 (0001-01-01 to 9999-12-31).
void decodeDate(std::span<const std::uint8_t> bytes, std::string& text, char separator = '/');
// The same written to `out`, which has room for its 10 bytes: their end.
char* decodeDate(std::span<const std::uint8_t> bytes, char separator, char* out);

// The calendar day of an astronomical day number as year, month and day joined by `separator`
// ("2000/01/01" for 2451545 and '/'), under the same range rule as decodeDate.
void formatDayNumber(std::uint32_t dayNumber, char separator, std::string& text);
// The same written to `out`, which has room for its 10 bytes: their end.
char* formatDayNumber(std::uint32_t dayNumber, char separator, char* out);

// What a zero-padded buffer of at least 5000 bytes holding `value` converts to, up to the first
// zero byte: how every stored text (fields, CL source lines, data-area values) is converted.
void convertPaddedText(std::span<const std::uint8_t> value, EbcdicTextConverter& converter,
                       std::string& text);

// The converted field up to its first zero byte; a single blank when that is empty.
void decodeCharacter(std::span<const std::uint8_t> value, EbcdicTextConverter& converter, std::string& text);

// The first three converted bytes as upper-case hex pairs joined by ":".
void decodeTime(std::span<const std::uint8_t> value, EbcdicTextConverter& converter, std::string& text);

// A stored timestamp in the form made for loading, "yyyy-mm-dd hh:mm:ss.nnnnnn": the day
// number of decodeDate in the first four bytes, then the time as six digits (hhmmss) and the
// microseconds as six more, two digits a byte without a sign. Digits outside 0-9 show as the
// hex digits they are. Raises FieldDecodingFailure as decodeDate does.
void decodeLoadedTimestamp(std::span<const std::uint8_t> bytes, std::string& text);

}  // namespace quelvane
