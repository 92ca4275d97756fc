#include <gtest/gtest.h>

#include "export/AutomationFailure.h"
#include "export/ExcelExportWriter.h"
#include "export/InProcessAutomationClient.h"
#include "tests/export/ExportFixture.h"
#include "tests/export/ExportTestTools.h"

namespace quelvane::test {
namespace {

// ITEMS: NAME (4 characters) and AMT (packed 5,2); member MBR1 with three slots, the middle one
// deleted.
BuiltObject itemsFile() {
    BuiltObject file;
    file.name = "ITEMS";
    file.attribute = "PF";
    file.fields = {{"NAME", 0x0403, 4, 0, 0, 0, 40}, {"AMT", 0x0303, 3, 5, 2, 0, 40}};
    file.members = {{"MBR1", "", "", 3}};
    return file;
}

std::vector<StreamSlot> itemSlots(std::uint8_t lastSign = 0x5D) {
    auto record = [](const std::string& name, std::vector<std::uint8_t> amount) {
        std::vector<std::uint8_t> bytes = SaveFileBuilder::ebcdic(name, 4);
        bytes.insert(bytes.end(), amount.begin(), amount.end());
        return bytes;
    };
    return {{0x80, record("PEN", {0x00, 0x12, 0x3F})},
            {0x00, record("OLD", {0x00, 0x00, 0x0F})},
            {0x80, record("INK", {0x12, 0x34, lastSign})}};
}

std::string dump(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

struct ExcelExportTest : ::testing::Test {
    void openItems(std::vector<StreamSlot> slots) {
        fixture.open({itemsFile()}, {ContentFixtures::memberRecords("ITEMS", "MBR1", 7, slots)});
    }
    ExportOutcome write() { return writeExcelExport(fixture.session, {0, 0, 0}, "ITEMS_MBR1.xls"); }

    ExportFixture fixture;
};

const char* const kConversationStart = R"(create Excel.Application -> #1
set #1.Visible = false
get #1.Workbooks() -> #2
call #2.Add(1) -> #3
release #3
release #2
get #1.ActiveWorkbook() -> #4
get #4.Sheets(1) -> #5
release #4
run #5.Select()
get #5.Cells() -> #6
run #6.Select()
release #6
get #1.Selection() -> #7
get #7.Font() -> #8
set #8.Size = 9
release #8
release #7
get #1.Selection() -> #9
get #9.Font() -> #10
set #10.Name = "Arial"
release #10
release #9
get #1.Selection() -> #11
get #11.Font() -> #12
set #12.FontStyle = "Normal"
release #12
release #11
get #5.Cells(1, 1) -> #13
run #13.Select()
release #13
get #1.Columns(1) -> #14
set #14.ColumnWidth = 1.53846d
release #14
get #1.Columns(2) -> #15
set #15.ColumnWidth = 1.15385d
release #15
get #1.Rows(1) -> #16
set #16.RowHeight = 20
release #16
get #5.Cells(1, 1) -> #17
set #17.Value = "NAME"
release #17
get #5.Cells(1, 1) -> #18
get #18.Interior() -> #19
release #18
set #19.ColorIndex = 15
set #19.Pattern = 1
set #19.PatternColorIndex = -4105
release #19
get #1.Rows(1) -> #20
set #20.RowHeight = 20
release #20
get #5.Cells(1, 2) -> #21
set #21.Value = "AMT"
release #21
get #5.Cells(1, 2) -> #22
get #22.Interior() -> #23
release #22
set #23.ColorIndex = 15
set #23.Pattern = 1
set #23.PatternColorIndex = -4105
release #23
get #1.Rows(2u) -> #24
set #24.RowHeight = 16
release #24
get #5.Cells(2u, 1) -> #25
set #25.Value = "PEN "
release #25
get #5.Cells(2u, 2) -> #26
set #26.Value = "1.23"
release #26
get #1.Rows(4u) -> #27
set #27.RowHeight = 16
release #27
get #5.Cells(4u, 1) -> #28
set #28.Value = "INK "
release #28
)";

TEST_F(ExcelExportTest, TheConversationFollowsTheSheetStepByStep) {
    openItems(itemSlots());
    EXPECT_EQ(write(), ExportOutcome::Written);
    EXPECT_EQ(dump(fixture.automation.lines), std::string(kConversationStart) + R"(get #5.Cells(4u, 2) -> #29
set #29.Value = "-123.45"
release #29
get #1.ActiveWorkbook() -> #30
call #30.SaveAs("ITEMS_MBR1.xls") -> #31
release #31
release #30
call #1.Quit() -> #32
release #32
release #5
release #1
)");
    EXPECT_EQ(fixture.automation.heldReferences(), 0u);
    EXPECT_TRUE(fixture.views.notifier.entries.empty());
}

TEST_F(ExcelExportTest, AnUnconvertibleDateStopsAtThatCellAndExcelQuitsUnsaved) {
    BuiltObject file = itemsFile();
    file.fields.push_back({"DAY", 0x0B03, 4, 0, 0, 0, 40});
    std::vector<StreamSlot> slots = itemSlots();
    for (StreamSlot& slot : slots) {
        slot.record.insert(slot.record.end(), {0x00, 0x25, 0x68, 0x59});
    }
    slots[2].record.resize(7);
    slots[2].record.resize(11, 0x00);
    fixture.open({file}, {ContentFixtures::memberRecords("ITEMS", "MBR1", 11, slots)});
    const std::filesystem::path before = std::filesystem::current_path();
    ScratchDirectory scratch("quelvane-excel-directory");
    fixture.session.programDirectory = scratch.path().string();
    EXPECT_EQ(write(), ExportOutcome::Failed);
    const std::vector<std::string>& lines = fixture.automation.lines;
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(lines.end() - 5, lines.end()),
              (std::vector<std::string>{"release #35", "release #5", "call #1.Quit() -> #36", "release #36",
                                        "release #1"}));
    EXPECT_EQ(lines[lines.size() - 6], "set #35.Value = \"-123.45\"");
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.find("SaveAs") != std::string::npos; }),
              0);
    ASSERT_EQ(fixture.views.notifier.entries.size(), 1u);
    EXPECT_EQ(fixture.views.notifier.entries[0].text, "Write Excel error");
    EXPECT_EQ(fixture.views.notifier.entries[0].caption, "PickOut2Excel");
    EXPECT_EQ(std::filesystem::current_path(), scratch.path());
    std::filesystem::current_path(before);
}

TEST_F(ExcelExportTest, AnExcelThatCannotBeStartedIsReportedAndNothingElseHappens) {
    openItems(itemSlots());
    fixture.automation.failWhen("create");
    EXPECT_EQ(write(), ExportOutcome::Failed);
    EXPECT_EQ(fixture.automation.lines, std::vector<std::string>{"create Excel.Application"});
    ASSERT_EQ(fixture.views.notifier.entries.size(), 1u);
    EXPECT_EQ(fixture.views.notifier.entries[0].text, "Start Excel error, Excel maybe not installed.");
    EXPECT_EQ(fixture.views.notifier.entries[0].caption, "PickOut2Excel");
}

TEST_F(ExcelExportTest, AFailedSaveIsRaisedAfterExcelIsToldToQuit) {
    openItems(itemSlots());
    fixture.automation.failWhen("call #30.SaveAs", "cannot save");
    EXPECT_THROW(write(), AutomationFailure);
    EXPECT_EQ(fixture.automation.lines[fixture.automation.lines.size() - 3], "call #1.Quit() -> #31");
    EXPECT_EQ(fixture.automation.heldReferences(), 0u);
    EXPECT_TRUE(fixture.views.notifier.entries.empty());
}

TEST(ExcelColumnWidth, TheFieldLengthOverTwoPointSixAtMost255) {
    SavedField field;
    const std::pair<std::int32_t, double> cases[] = {
        {13, 5.0}, {26, 10.0}, {663, 255.0}, {664, 255.0}, {5000, 255.0}};
    for (const auto& [length, width] : cases) {
        field.length = length;
        EXPECT_DOUBLE_EQ(excelColumnWidth(field), width) << length;
    }
}

TEST_F(ExcelExportTest, XlrdReadsTheWorkbookWithDeletedSlotsAsUntouchedRows) {
    if (!xlrdAvailable()) {
        GTEST_SKIP() << "python3-xlrd is not installed";
    }
    openItems(itemSlots());
    InProcessAutomationClient excel(1252);
    ExportSession session(fixture.views.session, excel, 1252);
    ScratchDirectory scratch("quelvane-excel-export");
    const auto path = scratch / "ITEMS_MBR1.xls";
    EXPECT_EQ(writeExcelExport(session, {0, 0, 0}, path.string()), ExportOutcome::Written);
    EXPECT_EQ(excel.heldReferences(), 0u);
    EXPECT_EQ(readXls("sheet", path), R"(sheets 1 Sheet1
default row height 240
column 0 width 394
column 1 width 295
row 0 height 400
row 1 height 320
row 3 height 320
cell 0 0 text NAME | Arial 9 | fill 1 colour 22 (192, 192, 192)
cell 0 1 text AMT | Arial 9 | fill 1 colour 22 (192, 192, 192)
cell 1 0 text PEN  | Arial 9
cell 1 1 number 1.23 | Arial 9
cell 3 0 text INK  | Arial 9
cell 3 1 number -123.45 | Arial 9
)");
}

}  // namespace
}  // namespace quelvane::test
