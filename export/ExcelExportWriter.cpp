#include "export/ExcelExportWriter.h"

#include <algorithm>
#include <exception>
#include <optional>

#include "export/AutomationReference.h"
#include "export/ServerRecordLoop.h"

namespace quelvane {

namespace {

constexpr const char* kCaption = "PickOut2Excel";
constexpr const char* kStartFailure = "Start Excel error, Excel maybe not installed.";
constexpr const char* kWriteFailure = "Write Excel error";

constexpr std::int32_t kFontSize = 9;
constexpr const char* kFontName = "Arial";
constexpr const char* kFontStyle = "Normal";
constexpr double kBytesPerCharacter = 2.6;
constexpr double kWidestColumn = 255.0;
constexpr std::int32_t kHeaderRowHeight = 20;
constexpr std::int32_t kRecordRowHeight = 16;
constexpr std::int32_t kHeaderColorIndex = 15;
constexpr std::int32_t kSolidPattern = 1;
constexpr std::int32_t kAutomaticColor = -4105;

void quitQuietly(const AutomationReference& app) {
    try {
        app.call("Quit");
    } catch (const std::exception&) {
    }
}

}  // namespace

double excelColumnWidth(const SavedField& field) {
    return std::min(field.length / kBytesPerCharacter, kWidestColumn);
}

ExportOutcome writeExcelExport(ExportSession& session, MemberRef member, const std::string& path) {
    std::optional<AutomationReference> started =
        session.startServer("Excel.Application", kStartFailure, kCaption);
    if (!started) {
        return ExportOutcome::Failed;
    }
    AutomationReference& app = *started;
    try {
        const SavedObject& file = session.views.catalog.objectAt(member.file());
        app.set("Visible", false);
        app.get("Workbooks").call("Add", {std::int32_t{1}});
        AutomationReference sheet = app.get("ActiveWorkbook").get("Sheets", {std::int32_t{1}});
        sheet.run("Select");
        sheet.get("Cells").run("Select");
        app.get("Selection").get("Font").set("Size", kFontSize);
        app.get("Selection").get("Font").set("Name", std::string(kFontName));
        app.get("Selection").get("Font").set("FontStyle", std::string(kFontStyle));
        sheet.get("Cells", {std::int32_t{1}, std::int32_t{1}}).run("Select");

        for (std::int32_t j = 0; j < file.fieldCount; ++j) {
            app.get("Columns", {j + 1})
                .set("ColumnWidth", excelColumnWidth(file.fields.at(static_cast<std::size_t>(j))));
        }
        for (std::int32_t j = 0; j < file.fieldCount; ++j) {
            app.get("Rows", {std::int32_t{1}}).set("RowHeight", kHeaderRowHeight);
            sheet.get("Cells", {std::int32_t{1}, j + 1})
                .set("Value", file.fields.at(static_cast<std::size_t>(j)).name);
            AutomationReference interior = sheet.get("Cells", {std::int32_t{1}, j + 1}).get("Interior");
            interior.set("ColorIndex", kHeaderColorIndex);
            interior.set("Pattern", kSolidPattern);
            interior.set("PatternColorIndex", kAutomaticColor);
        }

        const bool written = writeServerRecords(
            session, member, kWriteFailure, kCaption,
            [&app](std::uint32_t row) { app.get("Rows", {row}).set("RowHeight", kRecordRowHeight); },
            [&sheet](std::uint32_t row, std::int32_t column, const std::string& text) {
                sheet.get("Cells", {row, column}).set("Value", text);
            });
        if (!written) {
            // Unlike Word, Excel's application reference is released and the program's directory
            // made current again before the failure is returned.
            sheet.release();
            quitQuietly(app);
            app.release();
            session.restoreWorkingDirectory();
            return ExportOutcome::Failed;
        }

        app.get("ActiveWorkbook").call("SaveAs", {path});
        app.call("Quit");
        sheet.release();
        app.release();
        return ExportOutcome::Written;
    } catch (const std::exception&) {
        quitQuietly(app);
        throw;
    }
}

}  // namespace quelvane
