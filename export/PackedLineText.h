#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "savefile/Catalog.h"

namespace quelvane {

// A packed field's export text appended to the text export's line, made in a buffer on the
// stack: the text decodePacked gives (sign, digits with the point placed by the decimals,
// leading zeros dropped but the last before the point), without the field's own string. Only
// for fields of 1 to 63 digits and 0 to 63 decimals lying within the record; any other field is
// left to the decoder.
class PackedLineText {
  public:
    static constexpr int kMostDigits = 63;

    // Appends the text to `line`; false, with `line` as it was, for a field left to the decoder.
    static bool append(std::span<const std::uint8_t> record, const SavedField& field, std::string& line);
};

}  // namespace quelvane
