#pragma once

#include <cstdint>
#include <string>

#include "export/ExportSession.h"

namespace quelvane {

// Puts the member's records on the first sheet of a new Excel workbook (the field names in a
// grey first row, record slot c in row c + 2) and saves it at `path`, speaking to
// "Excel.Application" through the session's automation client. Excel is told to quit on every
// path once it was started. A server that cannot be started or a failure while the records are
// written is reported with the format's messages; any other automation failure is raised.
ExportOutcome writeExcelExport(ExportSession& session, MemberRef member, const std::string& path);

// A field's column width in characters: its length / 2.6, at most the 255 Excel takes.
double excelColumnWidth(const SavedField& field);

}  // namespace quelvane
