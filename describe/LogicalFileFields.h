#pragma once

#include <cstdint>
#include <span>

#include "conversion/EbcdicTextConverter.h"
#include "savefile/BlockSource.h"
#include "savefile/Catalog.h"

namespace quelvane {

// The (first) record format of a logical file, read from its member area: the file's facts and
// the fields of the format, as the catalog holds them for a physical file. A logical file's
// fields are named by the format (field entry +12), not by the based-on file.
class LogicalFileFields {
  public:
    // `file` with its description and fields filled in. Raises DecodingFailure when the member
    // area cannot be read or an entry leaves it.
    static SavedObject read(BlockSource& source, const SavedPart& part, const SavedObject& file,
                            EbcdicTextConverter& converter);
    // The same from the member area itself (counted after its prefix).
    static SavedObject fromArea(std::span<const std::uint8_t> area, const SavedObject& file,
                                EbcdicTextConverter& converter);
};

}  // namespace quelvane
