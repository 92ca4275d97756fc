#pragma once

#include "conversion/StoredCcsidText.h"
#include "extract/JsonWriter.h"
#include "savefile/Catalog.h"

namespace quelvane {

// A physical file's description as the JSON member "file": record length, keyed, unique, source
// file, language and country, and its format with every field's facts; texts read in the
// CCSIDs stored beside them.
class FileDescriptionJson {
  public:
    static void write(JsonWriter& json, const SavedObject& file, StoredCcsidText& texts);

  private:
    static void writeField(JsonWriter& json, const SavedField& field, StoredCcsidText& texts);
};

}  // namespace quelvane
