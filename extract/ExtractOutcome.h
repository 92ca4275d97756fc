#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "describe/ObjectDescription.h"
#include "savefile/Catalog.h"

namespace quelvane {

// What became of one member or object in an extraction.
struct ItemOutcome {
    std::string path;   // the file written, relative to the extraction folder, '/'-separated
    std::string table;  // the database table its rows went into
    std::string error;  // why nothing was written; empty when something was
    std::int64_t rowsWritten = 0;
    bool source = false;  // a source member, written as source lines
    bool fault = false;   // the error is a fault of the save file or of writing, not its nature
};

// The results of extracting one save file, keyed by catalog position.
struct ExtractOutcome {
    using MemberKey = std::array<std::int32_t, 3>;  // part, object, member
    using ObjectKey = std::array<std::int32_t, 2>;  // part, object

    std::map<MemberKey, ItemOutcome> members;
    std::map<ObjectKey, ItemOutcome> objects;  // CL programs, data areas and what was not extracted
    // What the stored data of commands, message files and programs says, for catalog.json.
    std::map<ObjectKey, ObjectDescription> descriptions;
    // The record formats of the logical files described, for their "file" member, or why they
    // could not be read.
    std::map<ObjectKey, std::vector<SavedObject>> logicalFormats;
    std::map<ObjectKey, std::string> logicalFormatFailures;
    std::int64_t membersWritten = 0;
    // "LIBRARY/OBJECT/MEMBER: reason" for every member that failed, and for files that could not
    // be written.
    std::vector<std::string> failures;
    // "LIBRARY/OBJECT: reason" for every CL program or data area whose stored data could not be
    // read: no member is lost, but the object's content is.
    std::vector<std::string> objectFailures;
    // The paths of the entries of an integrated-file-system save that were not written.
    std::set<std::string> entriesNotWritten;
    // Per entry of an integrated-file-system save, in catalog order, the file or folder written
    // for it relative to the extraction folder; empty for one not written.
    std::vector<std::string> entryFiles;
    // What was done that the user did not ask for in so many words: an entry written under
    // another name because an earlier one took its own, files of an earlier run replaced.
    std::vector<std::string> notes;
    // The files of an earlier run that this one replaced, relative to the extraction folder.
    std::int64_t filesReplaced = 0;
    bool cancelled = false;
    // The SQL file of CREATE TABLE statements, relative to the extraction folder (empty when
    // none was written), and the table each physical data file's CSV files load into.
    std::string schemaFile;
    std::map<ObjectKey, std::string> schemaTables;
    // Why the catalog read from the save file stops short, when it does: whatever lies past that
    // point is not extracted.
    std::string incomplete;
};

}  // namespace quelvane
