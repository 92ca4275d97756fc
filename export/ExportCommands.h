#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "export/BatchExportTarget.h"
#include "export/ExportFileDialog.h"
#include "export/ExportFormat.h"
#include "export/ExportSession.h"
#include "views/NodeContentDisplay.h"

namespace quelvane {

// The export commands of the window and the command line, over the selected tree node.

// The writer of a format, over one member; failures it does not report itself are raised.
ExportOutcome writeMemberExport(ExportSession& session, ExportFormat format, MemberRef member,
                                const std::string& path);

// The physical-file member a node names, or nothing after "Please choose a  PF member!".
std::optional<MemberRef> exportableMember(ExportSession& session, const std::optional<NodePosition>& node);

// One member into `path` as it is given; a failure the writer raises ends in "Save to file error".
// When the PC page could not hold characters of the member, the file is written all the same and
// a message says how many and where the first stands (ExportTextLoss).
ExportOutcome exportMember(ExportSession& session, MemberRef member, ExportFormat format,
                           const std::string& path);

// "Export", "Export a member", "Pick Out": asks for the output file and runs the writer its file
// type selects (the UTF-8 text file type writes UTF-8). Nothing when the dialog is cancelled; a
// failure a writer raises ends in "Save to file error".
std::optional<ExportOutcome> exportMemberCommand(ExportSession& session,
                                                 const std::optional<NodePosition>& node,
                                                 ExportFileDialog& dialog);

// The physical file the batch runs over for a node: the node's file, or for the library node the
// file recorded last. Records it in the records view's memory; nothing, after its message, when
// the selection is refused.
std::optional<ObjectRef> batchFile(ExportSession& session, const std::optional<NodePosition>& node);

// "Batch", "Export PF members in batch", "Pick Out In batch": checks the selection, records the
// chosen file in the records view's memory and fills and shows the batch dialog. False when the
// selection is refused.
bool exportBatchCommand(ExportSession& session, const std::optional<NodePosition>& node,
                        BatchExportTarget& dialog);

// Receives "Converting  LIB/FILE(MEMBER)" before each member is written, with the number of
// members done and the number the file holds.
using BatchProgress = std::function<void(const std::string& text, std::int32_t done, std::int32_t total)>;

// Every member of `file` into `directory`. A failure a writer raises stops the run at that member
// and is raised on. Failed when any writer reported a failure of its own. When the session's
// keepGoing says no (between members, or within one), the run ends Cancelled and the file of a
// member cut short is removed: what stays in the directory is whole.
// Members whose file names come out the same (the same name, names made safe alike, names that
// differ only after a period) get "_2", "_3" before the extension; `renamed`, when given, hears
// "LIB/FILE(MEMBER) written as NAME" for each. Characters the PC page could not hold are
// reported once, at the end, naming the member of the first.
ExportOutcome exportFileMembers(ExportSession& session, ObjectRef file, ExportFormat format,
                                const std::string& directory, const BatchProgress& progress,
                                std::vector<std::string>* renamed = nullptr);

// "Confirm": every member of the dialog's file into the dialog's directory, with the dialog's
// progress and Cancel, then closes the dialog. A failure a writer raises stops the run at that member, leaves
// the dialog open and is raised on. Failed when any writer reported a failure of its own.
ExportOutcome runBatchExport(ExportSession& session, BatchExportTarget& dialog);

}  // namespace quelvane
