#include <gtest/gtest.h>

#include "export/AutomationFailure.h"
#include "export/ExcelExportWriter.h"
#include "export/InProcessAutomationClient.h"
#include "export/WordExportWriter.h"
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
get #1.Rows(1) -> #14
set #14.RowHeight = 20
release #14
get #5.Cells(1, 1) -> #15
set #15.Value = "NAME"
release #15
get #5.Cells(1, 1) -> #16
get #16.Interior() -> #17
release #16
set #17.ColorIndex = 15
set #17.Pattern = 1
set #17.PatternColorIndex = -4105
release #17
get #1.Rows(1) -> #18
set #18.RowHeight = 20
release #18
get #5.Cells(1, 2) -> #19
set #19.Value = "AMT"
release #19
get #5.Cells(1, 2) -> #20
get #20.Interior() -> #21
release #20
set #21.ColorIndex = 15
set #21.Pattern = 1
set #21.PatternColorIndex = -4105
release #21
get #1.Rows(2u) -> #22
set #22.RowHeight = 16
release #22
get #5.Cells(2u, 1) -> #23
set #23.Value = "PEN "
release #23
get #5.Cells(2u, 2) -> #24
set #24.Value = "1.23"
release #24
get #1.Rows(4u) -> #25
set #25.RowHeight = 16
release #25
get #5.Cells(4u, 1) -> #26
set #26.Value = "INK "
release #26
)";

TEST_F(ExcelExportTest, TheConversationFollowsTheSheetStepByStep) {
    openItems(itemSlots());
    EXPECT_EQ(write(), ExportOutcome::Written);
    EXPECT_EQ(dump(fixture.automation.lines), std::string(kConversationStart) + R"(get #5.Cells(4u, 2) -> #27
set #27.Value = "-123.45"
release #27
get #1.Columns(1) -> #28
set #28.ColumnWidth = 7d
release #28
get #1.Columns(2) -> #29
set #29.ColumnWidth = 8d
release #29
get #1.ActiveWorkbook() -> #30
call #30.SaveAs(w"ITEMS_MBR1.xls") -> #31
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
              (std::vector<std::string>{"release #32", "release #5", "call #1.Quit() -> #33", "release #33",
                                        "release #1"}));
    EXPECT_EQ(lines[lines.size() - 6], "set #32.Value = \"-123.45\"");
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.find("SaveAs") != std::string::npos; }),
              0);
    ASSERT_EQ(fixture.views.notifier.entries.size(), 1u);
    EXPECT_EQ(fixture.views.notifier.entries[0].text, "Write Excel error");
    EXPECT_EQ(fixture.views.notifier.entries[0].caption, "PickOut2Excel");
    EXPECT_EQ(std::filesystem::current_path(), before);
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

// A column is as wide as its caption and its widest value with a digit to spare, as AutoFit
// makes it; the field's length / 2.6 stays where it is wider; 255 at most.
TEST(ExcelColumnWidth, AtLeastTheWidestTextAndTheStoredWidthAtMost255) {
    const struct {
        std::int32_t length;
        const char* caption;
        std::string value;
        double least;
        double most;
    } cases[] = {
        {3, "AMT", "-123.45", 7, 9},    {3, "BADGENBR", "9999", 10, 12},
        {260, "TEXT", "ABC", 100, 100}, {13, "NAME", "", 6, 8},
        {5000, "X", "", 255, 255},      {2, "X", std::string(400, '0'), 255, 255},
    };
    for (const auto& c : cases) {
        SavedObject file;
        file.fields.resize(1);
        file.fields[0].length = c.length;
        file.fields[0].name = c.caption;
        ExportColumnWidths measured(1);
        measured.measure(0, c.caption);
        measured.measure(0, c.value);
        const std::vector<double> widths = excelColumnWidths(file, measured);
        ASSERT_EQ(widths.size(), 1u);
        EXPECT_GE(widths[0], c.least) << c.caption;
        EXPECT_LE(widths[0], c.most) << c.caption;
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
column 0 width 1792
column 1 width 2048
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

// Word tables and Excel columns are wide enough that LibreOffice prints every caption and value
// whole: no number broken over lines or hidden behind "###".
TEST(OfficeColumnWidths, LibreOfficePrintsEveryCaptionAndValueWhole) {
    BuiltObject votes;
    votes.name = "VOTES";
    votes.attribute = "PF";
    votes.fields = {{"BADGENBR", 0x0303, 3, 5, 0, 0, 40},
                    {"AWARDNBR", 0x0303, 3, 5, 0, 0, 40},
                    {"EXHBNBR", 0x0403, 9, 0, 0, 0, 40}};
    votes.members = {{"VOTES", "", "", 3}};
    auto record = [](std::vector<std::uint8_t> badge, std::uint8_t award, const std::string& exhibit) {
        std::vector<std::uint8_t> bytes = std::move(badge);
        bytes.insert(bytes.end(), {0x00, 0x00, award});
        const std::vector<std::uint8_t> text = SaveFileBuilder::ebcdic(exhibit, 9);
        bytes.insert(bytes.end(), text.begin(), text.end());
        return bytes;
    };
    ExportFixture fixture;
    fixture.open({votes},
                 {ContentFixtures::memberRecords("VOTES", "VOTES", 15,
                                                 {{0x80, record({0x09, 0x99, 0x9F}, 0x1F, "NL2024")},
                                                  {0x80, record({0x05, 0x55, 0x5F}, 0x2F, "AT2024")},
                                                  {0x80, record({0x00, 0x00, 0x0F}, 0x0F, "INVALID")}})});
    InProcessAutomationClient office(1252);
    ExportSession session(fixture.views.session, office, 1252);
    ScratchDirectory scratch("quelvane-office-widths");
    ASSERT_EQ(writeWordExport(session, {0, 0, 0}, (scratch / "votes.doc").string()), ExportOutcome::Written);
    ASSERT_EQ(writeExcelExport(session, {0, 0, 0}, (scratch / "votes.xls").string()), ExportOutcome::Written);
    if (xlrdAvailable()) {
        // In 1/256 of a digit's width: at least a digit per caption character, more than the
        // length / 2.6 of a 3-byte field.
        const std::string sheet = readXls("sheet", scratch / "votes.xls");
        for (int column = 0; column < 3; ++column) {
            const std::string prefix = "column " + std::to_string(column) + " width ";
            const std::size_t at = sheet.find(prefix);
            ASSERT_NE(at, std::string::npos) << sheet;
            EXPECT_GE(std::stoi(sheet.substr(at + prefix.size())), (column == 2 ? 7 : 8) * 256) << sheet;
        }
    }
    const std::optional<std::vector<std::string>> pages =
        renderedPages(scratch.path(), {"votes.doc", "votes.xls"});
    if (!pages) {
        GTEST_SKIP() << "LibreOffice or pdftotext is not installed";
    }
    for (const std::string& page : *pages) {
        for (const char* text :
             {"BADGENBR", "AWARDNBR", "EXHBNBR", "9999", "5555", "NL2024", "AT2024", "INVALID"}) {
            EXPECT_TRUE(standsWhole(page, text)) << text << " in\n" << page;
        }
        EXPECT_EQ(page.find('#'), std::string::npos) << page;
    }
}

}  // namespace
}  // namespace quelvane::test
