#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "export/ExportColumnWidths.h"
#include "export/ExportSession.h"

namespace quelvane {

// Puts the member's records on the first sheet of a new Excel workbook (the field names in a
// grey first row, record slot c in row c + 2) and saves it at `path`, speaking to
// "Excel.Application" through the session's automation client. Excel is told to quit on every
// path once it was started. A server that cannot be started or a failure while the records are
// written is reported with the format's messages; any other automation failure is raised.
ExportOutcome writeExcelExport(ExportSession& session, MemberRef member, const std::string& path);

// Each field's column width in characters: wide enough for its caption and its widest value,
// as Excel's AutoFit makes it, or its length / 2.6 where that is wider; at most the 255 Excel
// takes.
std::vector<double> excelColumnWidths(const SavedObject& file, const ExportColumnWidths& measured);

}  // namespace quelvane
