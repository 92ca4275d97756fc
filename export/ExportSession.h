#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "export/AutomationClient.h"
#include "export/AutomationReference.h"
#include "export/ExportTextEncoding.h"
#include "export/ExportTextLoss.h"
#include "views/ViewSession.h"

namespace quelvane {

// How a writer ended: its file written, or a failure it reported itself with a message. Failures
// it does not handle are raised instead. A batch the user stopped ends Cancelled.
enum class ExportOutcome { Written, Failed, Cancelled };

// What the export commands and the three writers share: the view session (catalog and the save
// file's path, the conversion call, the message boxes, the records view's memory), the
// automation client the Word and Excel writers speak through, and the run's options.
//
// Output paths are file-system strings (UTF-8) from the dialog or command line to the file that
// is created; only the names taken from the save file, which are in the PC code page, are
// decoded when a file name is built from them.
struct ExportSession {
    ExportSession(ViewSession& viewsIn, AutomationClient& automationIn, std::int32_t pcCodePageIn);

    ViewSession& views;
    AutomationClient& automation;
    std::int32_t pcCodePage;
    // The batch dialog's splitter check box; the text writer reads it on every export.
    bool splitterOption = false;
    // What the text writer writes its characters in.
    ExportTextEncoding textEncoding = ExportTextEncoding::PcPage;
    // The characters the writers could not write in the PC page since the caller last cleared
    // it (reading by stored CCSID only: the pair gives PC-page text to begin with).
    ExportTextLoss textLoss;
    // The folder the batch dialog offers first (the window's program folder); empty offers the
    // process's current folder. No export makes any folder current: paths are taken as given.
    std::string programDirectory;
    // Lets the user interface repaint while Word closes.
    std::function<void()> processEvents;
    // Asked by the writers' record passes now and then; false ends the member early. Set by a
    // batch run for its duration only.
    std::function<bool()> keepGoing;
    // Where the writers read by stored CCSID (views.storedCcsidHostPage): the fallbacks their
    // fields used, one note per field ("FIELD9: CCSID 65535, shown as hex"), gathered over the
    // session's exports.
    std::vector<std::string> ccsidFallbackNotes;
    // Where the PC page has no converter: that names from the save file were read as Latin-1
    // and file-system texts in messages left as they are. One note per page, for the caller to
    // show; kept by the const conversions below.
    mutable std::vector<std::string> conversionNotes;

    // Starts the automation server `programId` for a writer. When it cannot be created, the
    // writer's own error box (`failureText`, `caption`) is shown and nothing is returned.
    std::optional<AutomationReference> startServer(const char* programId, const char* failureText,
                                                   const char* caption) const;

    // "%s_%s" of an object and a member name from the catalog, as one file-system name part:
    // decoded from the PC code page, then made safe (see ExportFileNames::safeNamePart).
    std::string memberFileName(const std::string& objectName, const std::string& memberName) const;
    // PC code-page text as a file-system string (UTF-8).
    std::string decodedText(const std::string& pcText) const;
    // A file-system string as PC code-page text for a message; what the page cannot spell
    // becomes its substitute character.
    std::string pcText(const std::string& fileSystemText) const;
};

}  // namespace quelvane
