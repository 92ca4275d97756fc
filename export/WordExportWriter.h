#pragma once

#include <cstdint>
#include <string>

#include "export/ExportSession.h"

namespace quelvane {

// Puts the member's records into a new Word document as one table (the field names in a grey
// first row, one row per record slot after it) and saves it at `path`, speaking to
// "Word.Application" through the session's automation client. Word is told to quit on every
// path once it was started. A server that cannot be started or a failure while the records are
// written is reported with the format's messages; any other automation failure is raised.
ExportOutcome writeWordExport(ExportSession& session, MemberRef member, const std::string& path);

// The preferred width of a column, in points, for a field of `length` bytes: twice the length
// held within 10 to 250; 200 for the single column of a file without fields.
std::int32_t wordColumnWidth(const SavedField* field);

}  // namespace quelvane
