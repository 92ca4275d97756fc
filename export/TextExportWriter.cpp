#include "export/TextExportWriter.h"
#include "views/RecordMessages.h"

#include <exception>
#include <optional>

#include "export/ExportFailure.h"
#include "export/ExportFieldDecoder.h"
#include "export/ExportRecordPass.h"
#include "export/TextExportLine.h"
#include "savefile/AtomicFile.h"
#include "savefile/SegmentExpansionFailure.h"

namespace quelvane {

namespace {

constexpr const char* kWriteFailure = "Write file error";
}  // namespace

ExportOutcome writeTextExport(ExportSession& session, MemberRef member, const std::string& path) {
    // Written under a temporary name and renamed when whole: a full disk leaves the old file, not
    // a cut one, and a link at the name is refused rather than written through.
    AtomicFile out;
    if (!out.open(path, AtomicFile::Existing::ReplaceNamed, false)) {
        const std::string message = "Open<" + session.pcText(path) + ">file error";
        session.views.notifier.message(message);
        throw ExportFailure(message, true);
    }

    ExportRecordPass pass;
    pass.setKeepGoing(session.keepGoing);
    session.views.failureCause.clear();
    ExportOutcome outcome = ExportOutcome::Written;
    try {
        const SavedObject& file = session.views.catalog.objectAt(member.file());
        ExportFieldDecoder fields(session, session.views.catalog.memberAt(member).name);
        pass.open(session.views, member);
        TextExportLine lines(file, fields, session.views.converter, session.splitterOption);
        std::string line;
        while (const std::optional<ExportRecordPass::Slot> slot = pass.next()) {
            if (!slot->holdsRecord()) {
                continue;
            }
            fields.startRecord(slot->number + 1);
            lines.build(slot->record, line);
            out.write(line);
            if (out.failed()) {
                break;
            }
        }
    } catch (const std::exception& failure) {
        session.views.notifier.message(kReadingErrorMessage);
        reportExpansionFailure(session.views.notifier, failure);
        session.views.keepFailureCause(failure);
        outcome = ExportOutcome::Failed;
    }
    pass.close();
    // Buffered lines reach the file only here: a full disk shows at the commit. What was read
    // before a reading failure is kept, as it always was.
    if (!out.commit()) {
        session.views.notifier.message(kWriteFailure);
        outcome = ExportOutcome::Failed;
    }
    return outcome;
}

}  // namespace quelvane
