#include "export/WordExportWriter.h"

#include <algorithm>
#include <exception>
#include <optional>

#include "export/AutomationReference.h"
#include "export/ExportRecordPass.h"
#include "export/ServerRecordLoop.h"

namespace quelvane {

namespace {

constexpr const char* kCaption = "Pick2Word";
constexpr const char* kStartFailure = "Start Word error, MS Word maybe not installed.";
constexpr const char* kWriteFailure = "Write Doc file error!";

constexpr std::int32_t kFontSize = 9;
constexpr const char* kFontName = "Arial";
constexpr std::int32_t kDefaultTableBehavior = 1;
constexpr std::int32_t kAutoFitFixed = 0;
constexpr std::int32_t kWidthInPoints = 3;
constexpr std::int32_t kHeaderShading = 14737632;  // E0E0E0, light grey

// Word takes at most 1584 points for a column; twice 250 stays well inside it.
constexpr std::int32_t kNarrowestWidth = 10;
constexpr std::int32_t kWidestWidth = 250;
constexpr std::int32_t kFieldlessWidth = 100;
constexpr std::int32_t kPointsPerWidth = 2;
constexpr std::int64_t kMostDataRows = 0x7FFFFFFF - 2;

// Word quits whatever went wrong, so no server outlives the export; a Word that fails to
// quit has nothing more to say.
void quitQuietly(const AutomationReference& app) {
    try {
        app.run("Quit");
    } catch (const std::exception&) {
    }
}

}  // namespace

std::int32_t wordColumnWidth(const SavedField* field) {
    const std::int32_t width =
        field == nullptr ? kFieldlessWidth : std::clamp(field->length, kNarrowestWidth, kWidestWidth);
    return kPointsPerWidth * width;
}

ExportOutcome writeWordExport(ExportSession& session, MemberRef member, const std::string& path) {
    std::optional<AutomationReference> started =
        session.startServer("Word.Application", kStartFailure, kCaption);
    if (!started) {
        return ExportOutcome::Failed;
    }
    AutomationReference& app = *started;
    try {
        const SavedObject& file = session.views.catalog.objectAt(member.file());
        app.set("Visible", false);
        app.get("Documents").call("Add");
        AutomationReference selection = app.get("Selection");
        selection.get("Font").set("Size", kFontSize);
        selection.get("Font").set("Name", std::string(kFontName));

        // A crafted record count cannot ask for more rows than the file holds slots.
        const std::int64_t slots = ExportRecordPass::slotLimit(session.views, member);
        const auto rows = static_cast<std::int32_t>(std::min<std::int64_t>(slots, kMostDataRows) + 2);
        const std::int32_t columns = std::max(file.fieldCount, 1);
        app.get("ActiveDocument")
            .get("Tables")
            .run("Add",
                 {selection.get("Range").object(), rows, columns, kDefaultTableBehavior, kAutoFitFixed});
        AutomationReference table = app.get("ActiveDocument").call("Range").get("Tables").call("Item", {1});

        for (std::int32_t i = 1; i <= columns; ++i) {
            const SavedField* field =
                i <= file.fieldCount ? &file.fields.at(static_cast<std::size_t>(i - 1)) : nullptr;
            table.get("Columns").call("Item", {i}).set("PreferredWidthType", kWidthInPoints);
            table.get("Columns").call("Item", {i}).set("PreferredWidth", wordColumnWidth(field));
        }
        for (std::int32_t j = 0; j < file.fieldCount; ++j) {
            AutomationReference cell = table.call("Cell", {std::int32_t{1}, j + 1});
            cell.set("Range", file.fields.at(static_cast<std::size_t>(j)).name);
            cell.get("Shading").set("BackgroundPatternColor", kHeaderShading);
        }

        const bool written =
            writeServerRecords(session, member, kWriteFailure, kCaption, {},
                               [&table](std::uint32_t row, std::int32_t column, const std::string& text) {
                                   table.call("Cell", {row, column}).set("Range", text);
                               });
        if (!written) {
            // Word quits with its application reference still held and the directory as it is.
            table.release();
            selection.release();
            quitQuietly(app);
            return ExportOutcome::Failed;
        }

        app.get("ActiveDocument").run("SaveAs", {path});
        app.get("ActiveDocument").run("Close");
        if (session.processEvents) {
            session.processEvents();
        }
        table.release();
        selection.release();
        app.run("Quit");
        if (session.processEvents) {
            session.processEvents();
        }
        app.release();
        session.restoreWorkingDirectory();
        return ExportOutcome::Written;
    } catch (const std::exception&) {
        quitQuietly(app);
        throw;
    }
}

}  // namespace quelvane
