#include "export/ExcelExportWriter.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <vector>

#include "conversion/PcPageWideText.h"
#include "export/AutomationReference.h"
#include "export/ExportColumnWidths.h"
#include "export/ExportFieldText.h"
#include "export/ExportRecordPass.h"
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

}  // namespace

std::vector<double> excelColumnWidths(const SavedObject& file, const ExportColumnWidths& measured) {
    std::vector<double> stored;
    for (const SavedField& field : file.fields) {
        stored.push_back(field.length / kBytesPerCharacter);
    }
    return measured.excelCharacters(stored, kWidestColumn);
}

namespace {

// A new workbook whose first sheet is selected, in the export's font, the cursor in its first
// cell; the sheet.
AutomationReference addExcelSheet(AutomationReference& app) {
    app.set("Visible", false);
    app.get("Workbooks").call("Add", {std::int32_t{1}});
    AutomationReference sheet = app.get("ActiveWorkbook").get("Sheets", {std::int32_t{1}});
    sheet.run("Select");
    sheet.get("Cells").run("Select");
    app.get("Selection").get("Font").set("Size", kFontSize);
    app.get("Selection").get("Font").set("Name", std::string(kFontName));
    app.get("Selection").get("Font").set("FontStyle", std::string(kFontStyle));
    sheet.get("Cells", {std::int32_t{1}, std::int32_t{1}}).run("Select");
    return sheet;
}

// The field names in the first row, on a solid grey.
void writeExcelHeader(AutomationReference& app, AutomationReference& sheet, const SavedObject& file,
                      ExportColumnWidths& measured) {
    for (std::int32_t j = 0; j < file.fieldCount; ++j) {
        const std::string& caption = file.fields.at(static_cast<std::size_t>(j)).name;
        measured.measure(static_cast<std::size_t>(j), caption);
        app.get("Rows", {std::int32_t{1}}).set("RowHeight", kHeaderRowHeight);
        sheet.get("Cells", {std::int32_t{1}, j + 1}).set("Value", caption);
        AutomationReference interior = sheet.get("Cells", {std::int32_t{1}, j + 1}).get("Interior");
        interior.set("ColorIndex", kHeaderColorIndex);
        interior.set("Pattern", kSolidPattern);
        interior.set("PatternColorIndex", kAutomaticColor);
    }
}

void setExcelColumnWidths(AutomationReference& app, const SavedObject& file,
                          const std::vector<double>& widths) {
    for (std::int32_t j = 0; j < file.fieldCount && static_cast<std::size_t>(j) < widths.size(); ++j) {
        app.get("Columns", {j + 1}).set("ColumnWidth", widths[static_cast<std::size_t>(j)]);
    }
}

}  // namespace

ExportOutcome writeExcelExport(ExportSession& session, MemberRef member, const std::string& path) {
    std::optional<AutomationReference> started =
        session.startServer("Excel.Application", kStartFailure, kCaption);
    if (!started) {
        return ExportOutcome::Failed;
    }
    AutomationReference& app = *started;
    try {
        const SavedObject& file = session.views.catalog.objectAt(member.file());
        AutomationReference sheet = addExcelSheet(app);
        // Widths follow the texts, so they are set once every row is in.
        ExportColumnWidths measured(static_cast<std::size_t>(std::max(file.fieldCount, 0)));
        writeExcelHeader(app, sheet, file, measured);
        const bool written = writeServerRecords(
            session, member, kWriteFailure, kCaption,
            [&app](std::uint32_t row) { app.get("Rows", {row}).set("RowHeight", kRecordRowHeight); },
            [&](std::uint32_t row, std::int32_t column, const std::string& text,
                const std::u16string* unicode) {
                if (unicode != nullptr) {
                    measured.measure(static_cast<std::size_t>(column - 1), *unicode);
                    sheet.get("Cells", {row, column}).set("Value", *unicode);
                    return;
                }
                measured.measure(static_cast<std::size_t>(column - 1), text);
                sheet.get("Cells", {row, column}).set("Value", text);
            });
        if (!written) {
            // Unlike Word, Excel's application reference is released before the failure is
            // returned.
            sheet.release();
            app.quitQuietly(AutomationReference::QuitBy::Call);
            app.release();
            return ExportOutcome::Failed;
        }
        setExcelColumnWidths(app, file, excelColumnWidths(file, measured));
        app.get("ActiveWorkbook").call("SaveAs", {PcPageWideText::fromUtf8(path)});
        app.call("Quit");
        sheet.release();
        app.release();
        return ExportOutcome::Written;
    } catch (const std::exception&) {
        app.quitQuietly(AutomationReference::QuitBy::Call);
        throw;
    }
}

}  // namespace quelvane
