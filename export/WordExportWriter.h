#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "export/ExportColumnWidths.h"
#include "export/ExportSession.h"

namespace quelvane {

// Puts the member's records into a new Word document as one table (the field names in a grey
// first row, one row per record slot after it) and saves it at `path`, speaking to
// "Word.Application" through the session's automation client. Word is told to quit on every
// path once it was started. A server that cannot be started or a failure while the records are
// written is reported with the format's messages; any other automation failure is raised.
ExportOutcome writeWordExport(ExportSession& session, MemberRef member, const std::string& path);

// The preferred widths of the `columns` columns, in points: each wide enough for its widest
// caption or value at the table's 9-point font, all scaled down together when the table would
// be wider than the page's text area; 200 for the single column of a file without fields.
std::vector<std::int32_t> wordColumnWidths(const ExportColumnWidths& measured, std::int32_t columns);

}  // namespace quelvane
