#pragma once

#include "conversion/PcTextToUtf8.h"
#include "describe/ObjectDescription.h"
#include "extract/JsonWriter.h"
#include "savefile/Catalog.h"

namespace quelvane {

// An object's description as JSON members of the enclosing object: "object" (name, type,
// attribute, text), then "command", "messages" or "program" as the object has them, or "error"
// when it cannot be described. Keys of what the object does not have are left out.
class DescriptionJson {
  public:
    static void writeObject(JsonWriter& json, const SavedObject& object, PcTextToUtf8& utf8);
    static void writeDescription(JsonWriter& json, const SavedObject& object,
                                 const ObjectDescription& description, PcTextToUtf8& utf8);
};

}  // namespace quelvane
