#include "export/WordExportWriter.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <vector>

#include "conversion/PcPageWideText.h"
#include "export/AutomationReference.h"
#include "export/ExportColumnWidths.h"
#include "export/ExportFieldText.h"
#include "export/ExportRecordPass.h"
#include "export/RtfDocumentWriter.h"
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

// The single column of a file without fields.
constexpr std::int32_t kFieldlessWidth = 200;
// Word's default cell margins, 0.075 inch on either side.
constexpr double kCellPadding = 2 * 5.4;
constexpr double kPointsPerTwip = 1.0 / 20;
constexpr std::int64_t kMostDataRows = 0x7FFFFFFF - 2;

}  // namespace

std::vector<std::int32_t> wordColumnWidths(const ExportColumnWidths& measured, std::int32_t columns) {
    std::vector<std::int32_t> points =
        measured.wordPoints(kFontSize, kCellPadding, RtfDocumentWriter::kTextWidthTwips * kPointsPerTwip);
    points.resize(static_cast<std::size_t>(std::max(columns, 0)), kFieldlessWidth);
    return points;
}

namespace {

// A new document in Word's default font for the export, with a table of `rows` rows (header
// row included) and `columns` columns; the table.
AutomationReference addWordTable(AutomationReference& app, AutomationReference& selection, std::int32_t rows,
                                 std::int32_t columns) {
    app.set("Visible", false);
    app.get("Documents").call("Add");
    selection = app.get("Selection");
    selection.get("Font").set("Size", kFontSize);
    selection.get("Font").set("Name", std::string(kFontName));
    app.get("ActiveDocument")
        .get("Tables")
        .run("Add", {selection.get("Range").object(), rows, columns, kDefaultTableBehavior, kAutoFitFixed});
    return app.get("ActiveDocument").call("Range").get("Tables").call("Item", {1});
}

// The field names in the first row, shaded.
void writeWordHeader(AutomationReference& table, const SavedObject& file, ExportColumnWidths& measured) {
    for (std::int32_t j = 0; j < file.fieldCount; ++j) {
        AutomationReference cell = table.call("Cell", {std::int32_t{1}, j + 1});
        const std::string& caption = file.fields.at(static_cast<std::size_t>(j)).name;
        measured.measure(static_cast<std::size_t>(j), caption);
        cell.set("Range", caption);
        cell.get("Shading").set("BackgroundPatternColor", kHeaderShading);
    }
}

void setWordColumnWidths(AutomationReference& table, const std::vector<std::int32_t>& widths) {
    for (std::int32_t i = 1; i <= static_cast<std::int32_t>(widths.size()); ++i) {
        table.get("Columns").call("Item", {i}).set("PreferredWidthType", kWidthInPoints);
        table.get("Columns").call("Item", {i}).set("PreferredWidth", widths[static_cast<std::size_t>(i - 1)]);
    }
}

void processEvents(ExportSession& session) {
    if (session.processEvents) {
        session.processEvents();
    }
}

// Saves the document as `path`, closes it and quits Word.
void saveAndQuitWord(ExportSession& session, AutomationReference& app, AutomationReference& table,
                     AutomationReference& selection, const std::string& path) {
    app.get("ActiveDocument").run("SaveAs", {PcPageWideText::fromUtf8(path)});
    app.get("ActiveDocument").run("Close");
    processEvents(session);
    table.release();
    selection.release();
    app.run("Quit");
    processEvents(session);
    app.release();
}

}  // namespace

ExportOutcome writeWordExport(ExportSession& session, MemberRef member, const std::string& path) {
    // A crafted record count cannot ask for more rows than the file holds slots; a member whose
    // records cannot be reached fails before Word is started, its reason after the box.
    const ExportRecordPass::SlotLimit limit = ExportRecordPass::slotLimit(session.views, member);
    if (!limit.failure.empty()) {
        session.views.notifier.error(kWriteFailure, kCaption);
        session.views.notifier.message(limit.failure);
        return ExportOutcome::Failed;
    }
    std::optional<AutomationReference> started =
        session.startServer("Word.Application", kStartFailure, kCaption);
    if (!started) {
        return ExportOutcome::Failed;
    }
    AutomationReference& app = *started;
    try {
        const SavedObject& file = session.views.catalog.objectAt(member.file());
        const auto rows = static_cast<std::int32_t>(std::min<std::int64_t>(limit.slots, kMostDataRows) + 2);
        const std::int32_t columns = std::max(file.fieldCount, 1);
        AutomationReference selection;
        AutomationReference table = addWordTable(app, selection, rows, columns);

        // Widths follow the texts, so they are set once every row is in.
        ExportColumnWidths measured(static_cast<std::size_t>(std::max(file.fieldCount, 0)));
        writeWordHeader(table, file, measured);
        const bool written =
            writeServerRecords(session, member, kWriteFailure, kCaption, {},
                               [&](std::uint32_t row, std::int32_t column, const std::string& text,
                                   const std::u16string* unicode) {
                                   AutomationReference cell = table.call("Cell", {row, column});
                                   if (unicode != nullptr) {
                                       measured.measure(static_cast<std::size_t>(column - 1), *unicode);
                                       cell.set("Range", *unicode);
                                       return;
                                   }
                                   measured.measure(static_cast<std::size_t>(column - 1), text);
                                   cell.set("Range", text);
                               });
        if (!written) {
            // Word quits with its application reference still held.
            table.release();
            selection.release();
            app.quitQuietly(AutomationReference::QuitBy::Run);
            return ExportOutcome::Failed;
        }
        setWordColumnWidths(table, wordColumnWidths(measured, columns));
        saveAndQuitWord(session, app, table, selection, path);
        return ExportOutcome::Written;
    } catch (const std::exception&) {
        app.quitQuietly(AutomationReference::QuitBy::Run);
        throw;
    }
}

}  // namespace quelvane
