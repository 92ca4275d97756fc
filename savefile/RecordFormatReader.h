#pragma once

#include <cstdint>

#include "conversion/EbcdicTextConverter.h"
#include "savefile/BigEndianReader.h"
#include "savefile/FileDescription.h"

namespace quelvane {

// Reads the file-level facts of a *FILE's member area and the header of its record format.
class RecordFormatReader {
  public:
    // `area` counts from the first byte after the area's prefix, `format` is the record-format
    // section's start. Raises DecodingFailure when a fact lies outside the area.
    static FileDescription read(const BigEndianReader& area, std::int64_t format,
                                EbcdicTextConverter& converter);
};

}  // namespace quelvane
