#pragma once

#include <vector>

#include "conversion/StoredCcsidText.h"
#include "extract/JsonWriter.h"
#include "savefile/Catalog.h"

namespace quelvane {

// A physical or logical file's description as the JSON member "file": record length, keyed,
// unique, source file, language and country, and its formats with every field's facts; texts
// read in the CCSIDs stored beside them, as FileFacts reads them.
class FileDescriptionJson {
  public:
    static void write(JsonWriter& json, const SavedObject& file, StoredCcsidText& texts);
    // A file of several formats, each as LogicalFileFields gives it; the file's own facts come
    // from the first. `formats` is not empty.
    static void write(JsonWriter& json, const std::vector<SavedObject>& formats, StoredCcsidText& texts);

    // The members of "file" that are the file's own (record length … country), and those of
    // one entry of "formats" (name, text, levelId, fields), for a writer that adds its own.
    static void writeFileMembers(JsonWriter& json, const SavedObject& file);
    static void writeFormatMembers(JsonWriter& json, const SavedObject& format, StoredCcsidText& texts);

  private:
    static void writeField(JsonWriter& json, const SavedField& field, StoredCcsidText& texts);
};

}  // namespace quelvane
