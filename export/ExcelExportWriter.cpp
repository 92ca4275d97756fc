#include "export/ExcelExportWriter.h"

#include <algorithm>
#include <exception>
#include <optional>

#include "export/AutomationReference.h"
#include "export/ExportFieldText.h"
#include "export/ExportRecordPass.h"
#include "savefile/SegmentExpansionFailure.h"

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

        ExportRecordPass pass;
        try {
            pass.open(session.views, member);
            std::string text;
            while (const std::optional<ExportRecordPass::Slot> slot = pass.next()) {
                if (!slot->holdsRecord()) {
                    continue;
                }
                // Row numbers past what an unsigned 32-bit row can say are the server's to refuse.
                const auto row = static_cast<std::uint32_t>(slot->number + 2);
                for (std::int32_t j = 0; j < file.fieldCount; ++j) {
                    if (j == 0) {
                        app.get("Rows", {row}).set("RowHeight", kRecordRowHeight);
                    }
                    exportFieldText(slot->record, file.fields.at(static_cast<std::size_t>(j)),
                                    session.views.converter, text);
                    sheet.get("Cells", {row, j + 1}).set("Value", text);
                }
            }
            pass.close();
        } catch (const std::exception& failure) {
            session.views.notifier.error(kWriteFailure, kCaption);
            reportExpansionFailure(session.views.notifier, failure);
            sheet.release();
            quitQuietly(app);
            app.release();
            session.restoreWorkingDirectory();
            pass.close();
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
