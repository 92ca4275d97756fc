#include "export/TextExportWriter.h"

#include <cstdio>
#include <exception>
#include <memory>

#include "export/ExportFailure.h"
#include "export/ExportFieldText.h"
#include "export/ExportRecordPass.h"
#include "savefile/SegmentExpansionFailure.h"

namespace quelvane {

namespace {

constexpr const char* kWriteFailure = "Write file error";
constexpr const char* kReadingFailure = "Error:during reading records";
constexpr char kSplitter = '|';
constexpr std::size_t kOutputBuffer = 1 << 16;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// The line being built, with every line feed written as CR LF as a text-mode file writes it.
void appendText(std::string& line, const std::string& text) {
    for (char c : text) {
        if (c == '\n') {
            line.push_back('\r');
        }
        line.push_back(c);
    }
}

}  // namespace

ExportOutcome writeTextExport(ExportSession& session, MemberRef member, const std::string& path) {
    std::unique_ptr<std::FILE, FileCloser> out(std::fopen(path.c_str(), "wb"));
    if (out == nullptr) {
        const std::string message = "Open<" + session.pcText(path) + ">file error";
        session.views.notifier.message(message);
        throw ExportFailure(message, true);
    }
    std::setvbuf(out.get(), nullptr, _IOFBF, kOutputBuffer);
    session.restoreWorkingDirectory();

    ExportRecordPass pass;
    pass.setKeepGoing(session.keepGoing);
    ExportOutcome outcome = ExportOutcome::Written;
    try {
        const SavedObject& file = session.views.catalog.objectAt(member.file());
        pass.open(session.views, member);
        std::string line;
        std::string text;
        while (const std::optional<ExportRecordPass::Slot> slot = pass.next()) {
            if (!slot->holdsRecord()) {
                continue;
            }
            line.clear();
            for (std::int32_t i = 0; i < file.fieldCount; ++i) {
                exportFieldText(slot->record, file.fields.at(static_cast<std::size_t>(i)),
                                session.views.converter, text);
                appendText(line, text);
                if (session.splitterOption) {
                    line.push_back(kSplitter);
                }
            }
            line.append("\r\n");
            if (std::fwrite(line.data(), 1, line.size(), out.get()) != line.size()) {
                session.views.notifier.message(kWriteFailure);
                outcome = ExportOutcome::Failed;
                break;
            }
        }
    } catch (const std::exception& failure) {
        session.views.notifier.message(kReadingFailure);
        reportExpansionFailure(session.views.notifier, failure);
        outcome = ExportOutcome::Failed;
    }
    pass.close();
    // Buffered lines reach the file only here: a full disk shows at the close.
    if (std::fclose(out.release()) != 0 && outcome == ExportOutcome::Written) {
        session.views.notifier.message(kWriteFailure);
        outcome = ExportOutcome::Failed;
    }
    return outcome;
}

}  // namespace quelvane
