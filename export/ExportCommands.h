#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "export/BatchExportTarget.h"
#include "export/ExportFileDialog.h"
#include "export/ExportSession.h"
#include "views/NodeContentDisplay.h"

namespace quelvane {

// The export commands of the window and the command line, over the selected tree node.

// The writer for a file type ("Export"/"Pick Out" and "Confirm"): 1 or 0 text, 2 Word, 3 Excel
// as the save dialog counts its filters.
ExportOutcome writeMemberExport(ExportSession& session, int filterIndex, MemberRef member,
                                const std::string& path);

// "Export", "Export a member", "Pick Out": asks for the output file and runs the writer its file
// type selects. Nothing when the dialog is cancelled; a failure a writer raises ends in "Save to
// file error".
std::optional<ExportOutcome> exportMemberCommand(ExportSession& session,
                                                 const std::optional<NodePosition>& node,
                                                 ExportFileDialog& dialog);

// "Batch", "Export PF members in batch", "Pick Out In batch": checks the selection, records the
// chosen file in the records view's memory and fills and shows the batch dialog. False when the
// selection is refused.
bool exportBatchCommand(ExportSession& session, const std::optional<NodePosition>& node,
                        BatchExportTarget& dialog);

// "Confirm": every member of the dialog's file into the dialog's directory, then closes the
// dialog. A failure a writer raises stops the run at that member, leaves the dialog open and is
// raised on. Failed when any writer reported a failure of its own.
ExportOutcome runBatchExport(ExportSession& session, BatchExportTarget& dialog);

}  // namespace quelvane
