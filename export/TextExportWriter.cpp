#include "export/TextExportWriter.h"
#include "views/RecordMessages.h"

#include <exception>

#include "export/ExportFailure.h"
#include "export/ExportFieldDecoder.h"
#include "export/ExportRecordPass.h"
#include "savefile/AtomicFile.h"
#include "savefile/SegmentExpansionFailure.h"

namespace quelvane {

namespace {

constexpr const char* kWriteFailure = "Write file error";
constexpr char kSplitter = '|';

// The line being built, with every line feed written as CR LF as a text-mode file writes it:
// the runs between line feeds appended whole.
void appendText(std::string& line, const std::string& text) {
    std::size_t start = 0;
    for (std::size_t feed = text.find('\n'); feed != std::string::npos; feed = text.find('\n', start)) {
        line.append(text, start, feed - start);
        line.append("\r\n");
        start = feed + 1;
    }
    line.append(text, start, std::string::npos);
}

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
        std::string line;
        std::string text;
        while (const std::optional<ExportRecordPass::Slot> slot = pass.next()) {
            if (!slot->holdsRecord()) {
                continue;
            }
            line.clear();
            fields.startRecord(slot->number + 1);
            for (std::int32_t i = 0; i < file.fieldCount; ++i) {
                fields.decode(slot->record, file.fields.at(static_cast<std::size_t>(i)), text);
                appendText(line, text);
                if (session.splitterOption) {
                    line.push_back(kSplitter);
                }
            }
            line.append("\r\n");
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
