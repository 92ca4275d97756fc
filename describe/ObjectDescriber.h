#pragma once

#include <cstdint>

#include "conversion/EbcdicTextConverter.h"
#include "describe/ObjectDescription.h"
#include "savefile/BlockSource.h"
#include "savefile/Catalog.h"

namespace quelvane {

// Reads the data segment of one object of a kind it knows (commands, message files, programs,
// service programs, modules) through ObjectData, or a logical file's member area, and hands
// it to that kind's reader.
class ObjectDescriber {
  public:
    // True for the object types whose data is read (logical files: attribute "LF").
    static bool describes(std::uint16_t typeCode, const std::string& attribute = "");

    // `source` is the save as the catalog was read from it (expanded when compressed). A damaged
    // object, or one whose data is not in the save, comes back with `failure` set.
    static ObjectDescription describe(BlockSource& source, const Catalog& catalog, const SavedObject& object,
                                      EbcdicTextConverter& converter);
};

}  // namespace quelvane
