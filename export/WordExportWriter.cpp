#include "export/WordExportWriter.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <vector>

#include "export/AutomationReference.h"
#include "export/AutomationTextCodec.h"
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

// Word quits whatever went wrong, so no server outlives the export; a Word that fails to
// quit has nothing more to say.
void quitQuietly(const AutomationReference& app) {
    try {
        app.run("Quit");
    } catch (const std::exception&) {
    }
}

}  // namespace

std::vector<std::int32_t> wordColumnWidths(const ExportColumnWidths& measured, std::int32_t columns) {
    std::vector<std::int32_t> points =
        measured.wordPoints(kFontSize, kCellPadding, RtfDocumentWriter::kTextWidthTwips * kPointsPerTwip);
    points.resize(static_cast<std::size_t>(std::max(columns, 0)), kFieldlessWidth);
    return points;
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

        // Widths follow the texts, so they are set once every row is in.
        ExportColumnWidths measured(static_cast<std::size_t>(std::max(file.fieldCount, 0)));
        for (std::int32_t j = 0; j < file.fieldCount; ++j) {
            AutomationReference cell = table.call("Cell", {std::int32_t{1}, j + 1});
            const std::string& caption = file.fields.at(static_cast<std::size_t>(j)).name;
            measured.measure(static_cast<std::size_t>(j), caption);
            cell.set("Range", caption);
            cell.get("Shading").set("BackgroundPatternColor", kHeaderShading);
        }

        const bool written = writeServerRecords(
            session, member, kWriteFailure, kCaption, {},
            [&](std::uint32_t row, std::int32_t column, const std::string& text) {
                measured.measure(static_cast<std::size_t>(column - 1), text);
                table.call("Cell", {row, column}).set("Range", text);
            });
        if (!written) {
            // Word quits with its application reference still held and the directory as it is.
            table.release();
            selection.release();
            quitQuietly(app);
            return ExportOutcome::Failed;
        }

        const std::vector<std::int32_t> widths = wordColumnWidths(measured, columns);
        for (std::int32_t i = 1; i <= columns; ++i) {
            table.get("Columns").call("Item", {i}).set("PreferredWidthType", kWidthInPoints);
            table.get("Columns")
                .call("Item", {i})
                .set("PreferredWidth", widths[static_cast<std::size_t>(i - 1)]);
        }
        app.get("ActiveDocument").run("SaveAs", {AutomationTextCodec::fromUtf8(path)});
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
