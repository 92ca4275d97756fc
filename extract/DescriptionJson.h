#pragma once

#include <vector>

#include "conversion/PcTextToUtf8.h"
#include "conversion/StoredCcsidText.h"
#include "describe/ObjectDescription.h"
#include "extract/JsonWriter.h"
#include "savefile/Catalog.h"

namespace quelvane {

// An object's description as JSON members of the enclosing object: "object" (name, type,
// attribute, text), then "command", "messages", "program" or a logical file's "file" as the
// object has them, or "error" when it cannot be described. Keys of what the object does not
// have are left out.
class DescriptionJson {
  public:
    // A logical file's record formats as LogicalFileFields reads them, for "file" to carry a
    // physical file's members (FileDescriptionJson) beside the keys and based-on files; texts in
    // their stored CCSIDs through `texts`.
    struct FileFormats {
        const std::vector<SavedObject>& formats;
        StoredCcsidText& texts;
    };

    static void writeObject(JsonWriter& json, const SavedObject& object, PcTextToUtf8& utf8);
    static void writeDescription(JsonWriter& json, const SavedObject& object,
                                 const ObjectDescription& description, PcTextToUtf8& utf8,
                                 const FileFormats* formats = nullptr);
};

}  // namespace quelvane
