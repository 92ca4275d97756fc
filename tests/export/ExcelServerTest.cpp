#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "export/AutomationFailure.h"
#include "export/ExcelServerSheet.h"
#include "export/ExcelServerValueReader.h"
#include "export/InProcessAutomationClient.h"
#include "tests/export/ExportTestTools.h"

namespace quelvane {
namespace {

using test::readXls;
using test::ScratchDirectory;
using test::splitLines;

// Speaks to the Excel server as the Excel writer does, releasing every intermediate reference.
class ExcelSession {
  public:
    explicit ExcelSession(std::int32_t pcCodePage = 0) : carrier(pcCodePage) {
        app = client.create("Excel.Application");
        client.set(app, "Visible", false);
        const AutomationObject workbooks = object(app, "Workbooks");
        client.release(objectOf(client.call(workbooks, "Add", {std::int32_t{1}}), "Add"));
        client.release(workbooks);
        const AutomationObject workbook = object(app, "ActiveWorkbook");
        sheet = object(workbook, "Sheets", {std::int32_t{1}});
        client.release(workbook);
        client.run(sheet, "Select");
        const AutomationObject all = object(sheet, "Cells");
        client.run(all, "Select");
        client.release(all);
        const AutomationObject selection = object(app, "Selection");
        const AutomationObject font = object(selection, "Font");
        client.set(font, "Size", std::int32_t{9});
        client.set(font, "Name", std::string("Arial"));
        client.set(font, "FontStyle", std::string("Normal"));
        client.release(font);
        client.release(selection);
    }

    AutomationObject object(AutomationObject parent, const std::string& name,
                            const AutomationClient::Arguments& arguments = {}) {
        return objectOf(client.get(parent, name, arguments), name);
    }

    void setOn(AutomationObject parent, const std::string& member,
               const AutomationClient::Arguments& arguments, const std::string& property,
               const AutomationValue& value) {
        const AutomationObject target = object(parent, member, arguments);
        client.set(target, property, value);
        client.release(target);
    }

    void header(std::int32_t column, const std::string& name, double width) {
        setOn(app, "Columns", {column}, "ColumnWidth", width);
        setOn(app, "Rows", {std::int32_t{1}}, "RowHeight", std::int32_t{20});
        setOn(sheet, "Cells", {std::int32_t{1}, column}, "Value", name);
        const AutomationObject cell = object(sheet, "Cells", {std::int32_t{1}, column});
        const AutomationObject interior = object(cell, "Interior");
        client.set(interior, "ColorIndex", std::int32_t{15});
        client.set(interior, "Pattern", std::int32_t{1});
        client.set(interior, "PatternColorIndex", std::int32_t{-4105});
        client.release(interior);
        client.release(cell);
    }

    void cell(std::uint32_t row, std::int32_t column, const std::string& text) {
        setOn(sheet, "Cells", {row, column}, "Value", text);
    }

    void saveAs(const std::string& path) {
        const AutomationObject workbook = object(app, "ActiveWorkbook");
        client.call(workbook, "SaveAs", {path});
        client.release(workbook);
    }

    void quit() {
        client.call(app, "Quit");
        client.release(sheet);
        client.release(app);
    }

    InProcessAutomationClient carrier;
    AutomationClient& client = carrier;
    AutomationObject app;
    AutomationObject sheet;
};

class ExcelWorkbookTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!test::xlrdAvailable()) {
            GTEST_SKIP() << "python3-xlrd is not installed";
        }
    }
    ScratchDirectory scratch{"quelvane-excel"};
};

TEST_F(ExcelWorkbookTest, WriterConversationReadsBackWithFontFillWidthsAndCellKinds) {
    ExcelSession excel;
    excel.header(1, "NAME", 13 / 2.6);
    excel.header(2, "AMOUNT", 7 / 2.6);
    excel.header(3, "ZIP", 5 / 2.6);
    // Slot 0 and slot 2 hold records; slot 1 was deleted and leaves row 3 untouched.
    for (const auto& [row, texts] : std::vector<std::pair<std::uint32_t, std::vector<std::string>>>{
             {2u, {"M\xFCller", "123.45", "00042"}}, {4u, {"  ", "2000-01-01 12:00:00", "12:30:45"}}}) {
        excel.setOn(excel.app, "Rows", {row}, "RowHeight", std::int32_t{16});
        for (std::int32_t j = 0; j < 3; ++j) {
            excel.cell(row, j + 1, texts[j]);
        }
    }
    const auto path = scratch / "MEMBER.xls";
    excel.saveAs(path.string());
    excel.quit();
    EXPECT_EQ(excel.carrier.heldReferences(), 0u);

    EXPECT_EQ(splitLines(readXls("sheet", path)),
              (std::vector<std::string>{
                  "sheets 1 Sheet1",
                  "default row height 240",
                  "column 0 width 1280",
                  "column 1 width 689",
                  "column 2 width 492",
                  "row 0 height 400",
                  "row 1 height 320",
                  "row 3 height 320",
                  "cell 0 0 text NAME | Arial 9 | fill 1 colour 22 (192, 192, 192)",
                  "cell 0 1 text AMOUNT | Arial 9 | fill 1 colour 22 (192, 192, 192)",
                  "cell 0 2 text ZIP | Arial 9 | fill 1 colour 22 (192, 192, 192)",
                  "cell 1 0 text M\xC3\xBCller | Arial 9",
                  "cell 1 1 number 123.45 | Arial 9",
                  "cell 1 2 number 42.0 | Arial 9",
                  "cell 3 0 text    | Arial 9",
                  "cell 3 1 date 36526.5 m/d/yy h:mm | Arial 9",
                  "cell 3 2 date 0.5213541666666667 h:mm:ss | Arial 9",
              }));
}

TEST(ExcelWorkbook, LibreOfficeReadsTheWorkbook) {
    if (!test::runCommand("command -v soffice")) {
        GTEST_SKIP() << "LibreOffice is not installed";
    }
    ScratchDirectory scratch("quelvane-excel-lo");
    ExcelSession excel;
    excel.header(1, "NAME", 5.0);
    excel.header(2, "AMOUNT", 5.0);
    excel.cell(2u, 1, "M\xFCller");
    excel.cell(2u, 2, "0123.50");
    excel.cell(4u, 1, "a,b");
    excel.cell(4u, 2, "-7");
    excel.saveAs((scratch / "MEMBER.xls").string());
    excel.quit();
    // Comma-separated, quoted texts, UTF-8; numbers as LibreOffice shows them in General format.
    ASSERT_TRUE(
        test::runCommand("cd '" + scratch.path().string() + "' && soffice -env:UserInstallation=file://" +
                         scratch.path().string() +
                         "/profile --headless --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76' "
                         "MEMBER.xls"));
    EXPECT_EQ(splitLines(test::readFile(scratch / "MEMBER.csv")),
              (std::vector<std::string>{"NAME,AMOUNT", "M\xC3\xBCller,123.5", ",", "\"a,b\",-7"}));
}

TEST_F(ExcelWorkbookTest, DoubleByteCodePageAndLongStringTablesSurvive) {
    ExcelSession excel(932);
    // Enough distinct texts to carry the string table over several CONTINUE records, a wide one
    // among them, and one text longer than a whole record.
    std::vector<std::string> expected;
    std::string hiragana;
    std::string hiraganaUtf8;
    for (int i = 0; i < 3000; ++i) {
        hiragana += "\x82\xA0";
        hiraganaUtf8 += "\xE3\x81\x82";
    }
    for (std::uint32_t row = 1; row <= 1500; ++row) {
        const std::string text = "text number " + std::to_string(row) + " of the member";
        excel.cell(row, 1, text);
        expected.push_back("cell " + std::to_string(row - 1) + " 0 text " + text + " | Arial 9");
        if (row == 700) {
            excel.cell(row, 2, hiragana);
            expected.push_back("cell 699 1 text " + hiraganaUtf8 + " | Arial 9");
        }
    }
    excel.cell(65536u, 256, "last cell");
    expected.push_back("cell 65535 255 text last cell | Arial 9");
    const auto path = scratch / "WIDE.xls";
    excel.saveAs(path.string());
    excel.quit();

    std::vector<std::string> cells;
    for (const std::string& line : splitLines(readXls("sheet", path))) {
        if (line.starts_with("cell ")) {
            cells.push_back(line);
        }
    }
    EXPECT_EQ(cells, expected);
}

TEST_F(ExcelWorkbookTest, EmptyWorkbookStillOpens) {
    ExcelSession excel;
    const auto path = scratch / "EMPTY.xls";
    excel.saveAs(path.string());
    excel.quit();
    EXPECT_EQ(splitLines(readXls("sheet", path)),
              (std::vector<std::string>{"sheets 1 Sheet1", "default row height 240"}));
}

TEST(ExcelServerFailures, NamesTypesAndCellsOutsideTheSheetRaise) {
    using Step = std::function<void(ExcelSession&)>;
    const std::vector<std::pair<std::string, Step>> cases = {
        {"unknown program", [](ExcelSession& e) { e.client.create("Excel.Applicaton"); }},
        {"unknown property", [](ExcelSession& e) { e.client.get(e.app, "ActiveSheetz"); }},
        {"unknown method", [](ExcelSession& e) { e.client.run(e.sheet, "Activate"); }},
        {"Visible as integer", [](ExcelSession& e) { e.client.set(e.app, "Visible", std::int32_t{0}); }},
        {"Cells row as text",
         [](ExcelSession& e) {
             e.object(e.sheet, "Cells", {std::string("1"), std::int32_t{1}});
         }},
        {"Cells row as double",
         [](ExcelSession& e) {
             e.object(e.sheet, "Cells", {1.0, std::int32_t{1}});
         }},
        {"row 65537", [](ExcelSession& e) { e.cell(65537u, 1, "x"); }},
        {"column 257", [](ExcelSession& e) { e.cell(1u, 257, "x"); }},
        {"row 0", [](ExcelSession& e) { e.cell(0u, 1, "x"); }},
        {"Rows(65537)", [](ExcelSession& e) { e.object(e.app, "Rows", {std::uint32_t{65537}}); }},
        {"Columns(257)", [](ExcelSession& e) { e.object(e.app, "Columns", {std::int32_t{257}}); }},
        {"Value as integer",
         [](ExcelSession& e) {
             e.setOn(e.sheet, "Cells", {std::int32_t{1}, std::int32_t{1}}, "Value", std::int32_t{5});
         }},
        {"Value too long", [](ExcelSession& e) { e.cell(1u, 1, std::string(32768, 'x')); }},
        {"ColumnWidth as text",
         [](ExcelSession& e) {
             e.setOn(e.app, "Columns", {std::int32_t{1}}, "ColumnWidth", std::string("5"));
         }},
        {"ColumnWidth 256",
         [](ExcelSession& e) { e.setOn(e.app, "Columns", {std::int32_t{1}}, "ColumnWidth", 256.0); }},
        {"RowHeight on a column",
         [](ExcelSession& e) { e.setOn(e.app, "Columns", {std::int32_t{1}}, "RowHeight", 12.0); }},
        {"ColorIndex as text",
         [](ExcelSession& e) {
             const AutomationObject cell = e.object(e.sheet, "Cells", {std::int32_t{1}, std::int32_t{1}});
             e.setOn(cell, "Interior", {}, "ColorIndex", std::string("15"));
         }},
        {"ColorIndex 57",
         [](ExcelSession& e) {
             const AutomationObject cell = e.object(e.sheet, "Cells", {std::int32_t{1}, std::int32_t{1}});
             e.setOn(cell, "Interior", {}, "ColorIndex", std::int32_t{57});
         }},
        {"Workbooks.Add with text",
         [](ExcelSession& e) { e.client.call(e.object(e.app, "Workbooks"), "Add", {std::string("x")}); }},
        {"Sheets(2)",
         [](ExcelSession& e) { e.object(e.object(e.app, "ActiveWorkbook"), "Sheets", {std::int32_t{2}}); }},
        {"released reference",
         [](ExcelSession& e) { e.client.release(e.sheet), e.client.run(e.sheet, "Select"); }},
        {"call after Quit",
         [](ExcelSession& e) { e.client.run(e.app, "Quit"), e.client.get(e.app, "Workbooks"); }},
        {"SaveAs into a missing folder", [](ExcelSession& e) { e.saveAs("/nonexistent-folder/x.xls"); }},
    };
    for (const auto& [name, step] : cases) {
        ExcelSession excel;
        EXPECT_THROW(step(excel), AutomationFailure) << name;
    }
}

TEST(ExcelServerFailures, FailureCarriesTheRowOrColumnAtFault) {
    ExcelSession excel;
    try {
        excel.cell(65537u, 1, "x");
        FAIL();
    } catch (const AutomationFailure& failure) {
        EXPECT_NE(std::string(failure.what()).find("65537"), std::string::npos) << failure.what();
    }
    try {
        excel.cell(1u, 257, "x");
        FAIL();
    } catch (const AutomationFailure& failure) {
        EXPECT_NE(std::string(failure.what()).find("257"), std::string::npos) << failure.what();
    }
}

std::string describe(const std::optional<ExcelServerValueReader::Reading>& reading) {
    if (!reading) {
        return "text";
    }
    std::ostringstream out;
    out.precision(12);
    out << reading->number << " format " << reading->numberFormat;
    return out.str();
}

TEST(ExcelServerValueReader, ReadsTextTheWayExcelReadsWhatIsTypedIntoACell) {
    const std::vector<std::pair<std::u16string, std::string>> cases = {
        {u"123", "123 format 0"},
        {u"  12  ", "12 format 0"},
        {u"-7", "-7 format 0"},
        {u"+5", "5 format 0"},
        {u"00042", "42 format 0"},
        {u"-0", "0 format 0"},
        {u"123.45", "123.45 format 0"},
        {u".5", "0.5 format 0"},
        {u"5.", "5 format 0"},
        {u"1,234.5", "1234.5 format 0"},
        {u"12,345,678", "12345678 format 0"},
        {u"1.5E3", "1500 format 0"},
        {u"2e-2", "0.02 format 0"},
        {u"1,23", "text"},
        {u"12,3456", "text"},
        {u",123", "text"},
        {u"1e", "text"},
        {u".", "text"},
        {u"-", "text"},
        {u"0x10", "text"},
        {u"12a", "text"},
        {u"1 2", "text"},
        {u"", "text"},
        {u"   ", "text"},
        {u"1e999", "text"},
        {u"1e-999", "text"},
        {u"0e-999", "0 format 0"},
        {u"12-", "text"},
        {u"1.2.3", "text"},
        {u"ABC", "text"},
        // Dates and times become day numbers of the 1900 date system with a date format.
        {u"2000-01-01 12:00:00", "36526.5 format 22"},
        {u"2000/01/01  12:00:00", "36526.5 format 22"},
        {u"12/31/1999", "36525 format 14"},
        {u"1900-01-01", "1 format 14"},
        {u"1900-02-28", "59 format 14"},
        {u"1900-03-01", "61 format 14"},
        {u"9999-12-31", "2958465 format 14"},
        {u"12:30:45", "0.521354166667 format 21"},
        {u"07:05", "0.295138888889 format 20"},
        {u"1899-12-30 12:00:00", "text"},
        {u"2001-02-29", "text"},
        {u"31/12/1999", "text"},
        {u"24:00:00", "text"},
        {u"0C:1E:2D", "text"},
        {u"12:3", "text"},
        {u"2000-01-01T12:00:00", "text"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(describe(ExcelServerValueReader::read(text)), expected)
            << std::string(text.begin(), text.end());
    }
}

TEST(ExcelServerSheet, OverwrittenAndEmptiedCellsKeepTheStoreConsistent) {
    ExcelServerSheet sheet;
    sheet.setValue(0, 3, u"late");
    sheet.setValue(0, 1, u"early");
    sheet.setValue(0, 3, u"12");
    sheet.setValue(0, 1, u"");
    ASSERT_EQ(sheet.rows().size(), 1u);
    ASSERT_EQ(sheet.rows()[0].cells.size(), 1u);
    EXPECT_EQ(sheet.rows()[0].cells[0].column, 3);
    EXPECT_EQ(sheet.rows()[0].cells[0].kind, ExcelServerSheet::Kind::Number);
    // The same text twice is one shared string.
    sheet.setValue(1, 0, u"same");
    sheet.setValue(2, 0, u"same");
    EXPECT_EQ(sheet.rows()[1].cells[0].string, sheet.rows()[2].cells[0].string);
}

}  // namespace
}  // namespace quelvane
