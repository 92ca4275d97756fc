#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "conversion/EbcdicTextConverter.h"
#include "savefile/BigEndianReader.h"
#include "savefile/BlockSource.h"
#include "savefile/Catalog.h"

namespace quelvane {

// The record formats of a logical file, read from its member area: the file's facts and the
// fields of a format, as the catalog holds them for a physical file. A logical file's fields are
// named by the format (field entry +12), not by the based-on file.
class LogicalFileFields {
  public:
    // Every record format of `file`, in the order the file keeps them, each as `file` with that
    // format's description and fields; a multi-format file has one per format its based-on
    // entries name. Raises DecodingFailure as read does, or when a format is not where the one
    // before it ends.
    static std::vector<SavedObject> readFormats(BlockSource& source, const SavedPart& part,
                                                const SavedObject& file, EbcdicTextConverter& converter);
    static std::vector<SavedObject> formatsFromArea(std::span<const std::uint8_t> area,
                                                    const SavedObject& file, EbcdicTextConverter& converter);

    // `file` with its first format's description and fields filled in. Raises DecodingFailure when the member
    // area cannot be read or an entry leaves it.
    static SavedObject read(BlockSource& source, const SavedPart& part, const SavedObject& file,
                            EbcdicTextConverter& converter);
    // The same from the member area itself (counted after its prefix).
    static SavedObject fromArea(std::span<const std::uint8_t> area, const SavedObject& file,
                                EbcdicTextConverter& converter);

  private:
    static SavedObject formatAt(const BigEndianReader& data, std::int64_t format, const SavedObject& file,
                                EbcdicTextConverter& converter);
};

}  // namespace quelvane
