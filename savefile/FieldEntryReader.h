#pragma once

#include <cstdint>

#include "conversion/EbcdicTextConverter.h"
#include "savefile/BigEndianReader.h"
#include "savefile/FileDescription.h"

namespace quelvane {

// Reads what a field entry of a record format holds beyond the record layout: the field's
// CCSID, DDS type, null capability, varying length, and the variable parts (DFT, ALIAS, TEXT,
// COLHDG) that the entry addresses by offsets from its own start.
class FieldEntryReader {
  public:
    // `entry` is the whole entry, as long as its stored length. An entry shorter than the
    // shorter fixed part gives a description that is not read. Raises DecodingFailure, naming
    // the part, when a variable part lies outside the entry or inside its fixed part.
    static FieldDescription read(const BigEndianReader& entry, EbcdicTextConverter& converter);

    // The DDS letter of a stored data type and the letter byte beside it ('?' when unknown).
    static char ddsType(std::uint8_t dataType, std::uint8_t ebcdicLetter);

  private:
    static StoredText part(const BigEndianReader& entry, const char* what, std::int64_t offset,
                           std::int64_t length, std::uint16_t ccsid);
    static StoredText defaultValue(const BigEndianReader& entry, std::uint16_t ccsid);
    static StoredText longName(const BigEndianReader& entry, std::uint16_t ccsid);
};

}  // namespace quelvane
