#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "savefile/Catalog.h"

namespace quelvane {

// A zoned field of plain digits appended to the text export's line, made in a buffer on the
// stack: the text decodeZoned gives (the digits with their leading zeros, a negative sign put
// before the first significant digit or where the field's width allows, the point placed by the
// decimals), without the field's own string and the built-in table's general conversion. Only
// for fields of 1 to 63 bytes within the record whose bytes are F0-F9, the last F0-F9 or D0-D9,
// with 0 to 63 decimals; any other value is left to the decoder.
class ZonedLineText {
  public:
    static constexpr int kMostDigits = 63;

    // Appends the text to `line`; false, with `line` as it was, for a value left to the decoder.
    static bool append(std::span<const std::uint8_t> record, const SavedField& field, std::string& line);
};

}  // namespace quelvane
